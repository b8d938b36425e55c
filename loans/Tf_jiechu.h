#pragma once
// Money the household has lent.

#include "loans/LoanPage.h"

class Tf_jiechu : public LoanPage {
    Q_OBJECT
public:
    explicit Tf_jiechu(QWidget* parent = nullptr);
};
