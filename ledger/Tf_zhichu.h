#pragma once
// The expense entry page.

#include "ledger/EntryPage.h"

class Tf_zhichu : public EntryPage {
    Q_OBJECT
public:
    explicit Tf_zhichu(QWidget* parent = nullptr);
};
