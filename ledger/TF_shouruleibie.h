#pragma once
// The income category page.

#include "ledger/CategoryPage.h"

class TF_shouruleibie : public CategoryPage {
    Q_OBJECT
public:
    explicit TF_shouruleibie(QWidget* parent = nullptr);
};
