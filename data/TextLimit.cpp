#include "data/TextLimit.h"

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

}  // namespace TextLimit
