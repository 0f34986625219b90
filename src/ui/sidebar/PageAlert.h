// What the sidebar's page operations report to the user: one alert with a title and a message.
#pragma once

#include <QString>

namespace zepla::ui {

struct PageAlert {
    QString title;
    QString message;

    QString id() const { return title + message; }
    bool operator==(const PageAlert&) const = default;
};

} // namespace zepla::ui
