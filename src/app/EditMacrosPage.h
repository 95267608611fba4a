#pragma once
#include <QWidget>
#include <array>

class CModel;
class QLineEdit;

// One page of the macro editor: 16 macros, each with its label and its command text.
class CEditMacrosPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 16;
    static constexpr int kFirstLabelId = 3001;
    static constexpr int kFirstCommandId = 3101;

    // `firstMacro` is the number of the page's first macro (1 or 17).
    CEditMacrosPage(CModel* model, int firstMacro, QWidget* parent = nullptr);

    // Fills the rows from the model's label and command arrays.
    void Load();
    // Stores every row into the arrays; observers (the Command Tester's buttons) follow at once.
    void Apply();
    int FirstMacro() const { return m_firstMacro; }
    // Macro n of this page (FirstMacro() to FirstMacro() + 15); nullptr for another number.
    QLineEdit* LabelEdit(int macro) const;
    QLineEdit* CommandEdit(int macro) const;

signals:
    void Modified();

private:
    CModel* m_model;
    int m_firstMacro;
    std::array<QLineEdit*, kRows> m_labels {};
    std::array<QLineEdit*, kRows> m_commands {};
};
