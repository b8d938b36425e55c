#pragma once
// Money the household has borrowed.

#include "loans/LoanPage.h"

class Tf_jieru : public LoanPage {
    Q_OBJECT
public:
    explicit Tf_jieru(QWidget* parent = nullptr);
};
