#pragma once
#include <QComboBox>

class QStandardItemModel;
class QTreeView;

// The Port page's port list: an editable combo box whose drop-down shows each port's
// description beside its name, and which says when its drop-down is about to open (the list
// is rebuilt then, so that an adapter plugged in a moment ago is there).
class CPortComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CPortComboBox(QWidget* parent = nullptr);

    // Replaces the entries; the edit text is what the entry's name column holds.
    void SetPorts(const QList<QPair<QString, QString>>& namesAndDescriptions);
    QString DescriptionAt(int index) const;
    void showPopup() override;

signals:
    void PopupAboutToShow();

private:
    QStandardItemModel* m_model;
    QTreeView* m_view;
};
