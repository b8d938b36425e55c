#pragma once
// A drop-down list of key/name pairs from a statement: shows the name,
// stores the key. Selection is by key, so two entries may share a name.

#include "ui/QueryModel.h"

#include <QComboBox>

class LookupCombo : public QComboBox {
    Q_OBJECT
public:
    explicit LookupCombo(QWidget* parent = nullptr);

    // Fills the list; the current entry is cleared (index -1).
    [[nodiscard]] bool load(const QString& sql, const QString& keyField, const QString& displayField,
                            const Binds& binds = {}, DbError* error = nullptr);
    QVariant keyValue() const;              // invalid when nothing is chosen
    bool setKeyValue(const QVariant& key);  // false (and nothing chosen) when absent

signals:
    // The chosen entry changed, by the user or by the program.
    void keyChanged();
};
