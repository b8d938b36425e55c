#include "ui/LookupCombo.h"

LookupCombo::LookupCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, &LookupCombo::keyChanged);
}

bool LookupCombo::load(const QString& sql, const QString& keyField, const QString& displayField, const Binds& binds,
                       DbError* error)
{
    const QSignalBlocker block(this);
    clear();
    KeyNames items;
    const bool ok = loadKeyNames(sql, binds, keyField, displayField, items, error);
    for (const auto& [key, name] : std::as_const(items))
        addItem(name, key);
    setCurrentIndex(-1);
    return ok;
}

QVariant LookupCombo::keyValue() const { return currentIndex() < 0 ? QVariant() : currentData(); }

bool LookupCombo::setKeyValue(const QVariant& key)
{
    for (int i = 0; i < count(); ++i)
        if (key.isValid() && itemData(i).toLongLong() == key.toLongLong() && itemData(i).toString() == key.toString()) {
            setCurrentIndex(i);
            return true;
        }
    setCurrentIndex(-1);
    return false;
}
