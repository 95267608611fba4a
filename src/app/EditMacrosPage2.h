#pragma once
#include "app/EditMacrosPage.h"

// "Macros 17-32".
class CEditMacrosPage2 : public CEditMacrosPage {
    Q_OBJECT
public:
    explicit CEditMacrosPage2(CModel* model, QWidget* parent = nullptr)
        : CEditMacrosPage(model, 17, parent)
    {
    }
};
