#pragma once

#include <QMetaType>
#include <QtTest>

#include <string>
#include <vector>

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(std::vector<std::string>)

namespace QTest
{
// Failure messages show the strings that differ, escapes and all.
template <> inline char* toString(const std::string& s)
{
    return QTest::toPrettyUnicode(QString::fromStdString(s));
}
} // namespace QTest
