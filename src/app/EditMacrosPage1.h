#pragma once
#include "app/EditMacrosPage.h"

// "Macros 1-16".
class CEditMacrosPage1 : public CEditMacrosPage {
    Q_OBJECT
public:
    explicit CEditMacrosPage1(CModel* model, QWidget* parent = nullptr)
        : CEditMacrosPage(model, 1, parent)
    {
    }
};
