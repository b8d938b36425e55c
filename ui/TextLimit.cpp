#include "ui/TextLimit.h"

#include <QLineEdit>
#include <QValidator>

namespace {
class CharacterLimit : public QValidator {
public:
    CharacterLimit(int n, QObject* parent) : QValidator(parent), m_n(n) {}
    State validate(QString& input, int&) const override
    {
        return TextLimit::characters(input) <= m_n ? Acceptable : Invalid;
    }

private:
    int m_n;
};
}

namespace TextLimit {

qsizetype characters(const QString& text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++n)
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    return n;
}

QString left(const QString& text, qsizetype n)
{
    qsizetype i = 0;
    for (qsizetype count = 0; i < text.size() && count < n; ++i, ++count)
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    return text.left(i);
}

void apply(QLineEdit* box, int n)
{
    box->setMaxLength(2 * n);
    box->setValidator(new CharacterLimit(n, box));
}

} // namespace TextLimit
