#include "app/EditMacrosPage.h"
#include "app/AppStringIds.h"
#include "model/Model.h"
#include "model/StringTable.h"
#include "ui/ContextHelp.h"
#include "ui/OutputWindow.h"
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

CEditMacrosPage::CEditMacrosPage(CModel* model, int firstMacro, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_firstMacro(firstMacro)
{
    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(4);
    auto* labelHeader = new QLabel(ResourceString(IDS_APP_MACRO_LABEL), this);
    auto* commandHeader = new QLabel(ResourceString(IDS_APP_MACRO_COMMANDS), this);
    layout->addWidget(labelHeader, 0, 1);
    layout->addWidget(commandHeader, 0, 2);
    const QFont fixed = COutputWindow::OutputFont();
    for (int row = 0; row < kRows; ++row) {
        const int macro = firstMacro + row;
        auto* number = new QLabel(QString::number(macro), this);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* label = new QLineEdit(this);
        label->setObjectName(QStringLiteral("macroLabel%1").arg(macro));
        auto* command = new QLineEdit(this);
        command->setObjectName(QStringLiteral("macroCommand%1").arg(macro));
        command->setFont(fixed);
        CContextHelp::Apply(label, kFirstLabelId + macro - 1);
        CContextHelp::Apply(command, kFirstCommandId + macro - 1);
        connect(label, &QLineEdit::textEdited, this, &CEditMacrosPage::Modified);
        connect(command, &QLineEdit::textEdited, this, &CEditMacrosPage::Modified);
        layout->addWidget(number, row + 1, 0);
        layout->addWidget(label, row + 1, 1);
        layout->addWidget(command, row + 1, 2);
        m_labels[static_cast<std::size_t>(row)] = label;
        m_commands[static_cast<std::size_t>(row)] = command;
    }
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(2, 3);
    layout->setColumnMinimumWidth(1, 140);
    layout->setColumnMinimumWidth(2, 220);
    layout->setRowStretch(kRows + 1, 1);
    Load();
}

void CEditMacrosPage::Load()
{
    for (int row = 0; row < kRows; ++row) {
        const auto index = static_cast<unsigned>(m_firstMacro - 1 + row);
        m_labels[static_cast<std::size_t>(row)]->setText(m_model->m_commandCaptions.m_values[index]);
        m_commands[static_cast<std::size_t>(row)]->setText(m_model->m_commandTexts.m_values[index]);
    }
}

void CEditMacrosPage::Apply()
{
    for (int row = 0; row < kRows; ++row) {
        const auto index = static_cast<unsigned>(m_firstMacro - 1 + row);
        m_model->m_commandCaptions.Set(index, m_labels[static_cast<std::size_t>(row)]->text());
        m_model->m_commandTexts.Set(index, m_commands[static_cast<std::size_t>(row)]->text());
    }
}

QLineEdit* CEditMacrosPage::LabelEdit(int macro) const
{
    const int row = macro - m_firstMacro;
    return row >= 0 && row < kRows ? m_labels[static_cast<std::size_t>(row)] : nullptr;
}

QLineEdit* CEditMacrosPage::CommandEdit(int macro) const
{
    const int row = macro - m_firstMacro;
    return row >= 0 && row < kRows ? m_commands[static_cast<std::size_t>(row)] : nullptr;
}
