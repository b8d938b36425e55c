#include "ui/LookupCombo.h"

#include "data/Database.h"

LookupCombo::LookupCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, &LookupCombo::keyChanged);
}

bool LookupCombo::load(const QString& sql, const QString& keyField, const QString& displayField, const Binds& binds,
                       QString* error)
{
    const QSignalBlocker block(this);
    clear();
    Query q(sql);
    for (const auto& b : binds)
        q.bindValue(b.first, b.second);
    const int k = q.columnIndex(keyField), d = q.columnIndex(displayField);
    while (q.next())
        addItem(q.text(d), q.value(k));
    setCurrentIndex(-1);
    if (!q.ok() || k < 0 || d < 0) {
        if (error)
            *error = q.ok() ? QStringLiteral("no column %1 or %2").arg(keyField, displayField) : q.error();
        return false;
    }
    return true;
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
