#pragma once
// The expense category page.

#include "ledger/CategoryPage.h"

class TF_zhichuleibie : public CategoryPage {
    Q_OBJECT
public:
    explicit TF_zhichuleibie(QWidget* parent = nullptr);
};
