#pragma once
// LIKE text that matches the user's text literally: % and _ stand for
// themselves (use with "escape '\'").

#include <QString>

inline QString likePattern(const QString& text)
{
    QString t = text;
    t.replace(u'\\', QStringLiteral("\\\\")).replace(u'%', QStringLiteral("\\%")).replace(u'_', QStringLiteral("\\_"));
    return u'%' + t + u'%';
}
