// How long ago a moment was, in short unit words ("5 min. ago", "in 2 hr.").
#pragma once

#include <QDateTime>
#include <QString>

namespace zepla::ui {

QString relativeDate(const QDateTime& moment, const QDateTime& now);

} // namespace zepla::ui
