#include "ui/ProgressFrame.h"
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CProgressFrame CProgressFrame::Build(
    QDialog* dialog, QWidget* body, int bodyStretch, const QString& progressName, const QString& buttonText)
{
    CProgressFrame frame;
    frame.progress = new QProgressBar(dialog);
    frame.progress->setObjectName(progressName);
    frame.progress->setTextVisible(false);
    frame.retries = new QLabel(dialog);
    frame.retries->setObjectName(QStringLiteral("retries"));
    frame.retries->hide();
    frame.button = new QPushButton(buttonText, dialog);
    frame.button->setObjectName(QStringLiteral("cancel"));
    frame.button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(frame.button);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(body, bodyStretch);
    layout->addWidget(frame.progress);
    layout->addWidget(frame.retries);
    layout->addLayout(buttons);
    return frame;
}
