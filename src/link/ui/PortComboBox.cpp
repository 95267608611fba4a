#include "link/ui/PortComboBox.h"
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>

CPortComboBox::CPortComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(16);
    m_model = new QStandardItemModel(0, 2, this);
    m_view = new QTreeView(this);
    m_view->setHeaderHidden(true);
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setUniformRowHeights(true);
    setModel(m_model);
    setView(m_view);
    setModelColumn(0);
}

void CPortComboBox::SetPorts(const QList<QPair<QString, QString>>& namesAndDescriptions)
{
    m_model->removeRows(0, m_model->rowCount());
    for (const auto& [name, description] : namesAndDescriptions) {
        auto* nameItem = new QStandardItem(name);
        auto* descriptionItem = new QStandardItem(description);
        descriptionItem->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
        m_model->appendRow({nameItem, descriptionItem});
    }
}

QString CPortComboBox::DescriptionAt(int index) const
{
    const QStandardItem* item = m_model->item(index, 1);
    return item ? item->text() : QString();
}

void CPortComboBox::showPopup()
{
    emit PopupAboutToShow();
    m_view->resizeColumnToContents(0);
    m_view->resizeColumnToContents(1);
    const int width = m_view->columnWidth(0) + m_view->columnWidth(1) + 24;
    m_view->setMinimumWidth(std::max(width, this->width()));
    QComboBox::showPopup();
}
