#pragma once
// The income entry page.

#include "ledger/EntryPage.h"

class Tf_shouru : public EntryPage {
    Q_OBJECT
public:
    explicit Tf_shouru(QWidget* parent = nullptr);
};
