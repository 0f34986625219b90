#include "ui/sidebar/PageDropPayload.h"

namespace zepla::ui::PageDropPayload {

QString make(int pageIndex) {
    return QString::number(pageIndex);
}

std::optional<qint64> read(const QString& text) {
    const qsizetype digitsFrom = text.startsWith(u'+') || text.startsWith(u'-') ? 1 : 0;
    if (text.size() == digitsFrom)
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace zepla::ui::PageDropPayload
