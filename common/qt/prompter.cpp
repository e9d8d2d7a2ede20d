// Filter text shared by every Prompter.
#include "prompter.h"

namespace aquine {

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
    QStringList out;
    for (const FilterRow& row : parseFilter(filter)) {
        const QString patterns = row.patterns.join(QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses of the name, so they must be there, once.
        const qsizetype open = row.caption.lastIndexOf(QLatin1Char('('));
        const bool shown = open >= 0 && row.caption.endsWith(QLatin1Char(')')) &&
                           row.caption.mid(open + 1).chopped(1).split(QLatin1Char(';')) == row.patterns;
        if (shown)
            out << row.caption;
        else
            out << row.caption + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out;
}

} // namespace aquine
