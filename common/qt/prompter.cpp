// Filter text shared by every Prompter.
#include "common/qt/prompter.h"

#include <QFile>

namespace aquine {

std::string nativePath(const Prompter::FileAnswer& answer) {
    return answer.native.empty() ? QFile::encodeName(answer.path).toStdString() : answer.native;
}

QList<FilterRow> parseFilter(const QString& filter) {
    QList<FilterRow> rows;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << p.trimmed();
        rows.append({parts[i], patterns});
    }
    return rows;
}

QStringList qtNameFilters(const QString& filter) {
    // Qt takes a row's patterns from the last parentheses of its name, separated by blanks; the
    // caption itself may show them the Windows way, "网页文件(*.htm;*.html)", which Qt would read as
    // one pattern matching nothing. So every row gets its own parentheses, and the dialog hides them.
    QStringList out;
    for (const FilterRow& row : parseFilter(filter))
        out << row.caption + QStringLiteral(" (") + row.patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    return out;
}

} // namespace aquine
