#pragma once
// The entry pages' checks before a save, in their order: the first one that
// fails gives the message and the box that takes the focus. The category's
// look-up in the database comes after these, on the page.

#include "data/Money.h"

#include <QString>

struct EntryInput {
    bool payerChosen = true;
    QString category;
    QString amount;  // as the box holds it
    bool accountChosen = true;
};

struct EntryRefusal {
    enum Field { None, Payer, Category, Amount, Account };
    Field field = None;
    QString message;
};

// None when the input may be saved; then `amount` holds the amount.
EntryRefusal checkEntry(const EntryInput& input, Money* amount);
