// The first name the assistant's greeting uses.
#pragma once

#include <QString>

namespace zepla::ui {

// The first word of the full name (trimmed), else of the login name, capitalised; "there" without any word.
QString displayFirstName(const QString& fullName, const QString& loginName);
// The user's full name and login name from the account database.
QString userFullName();
QString userLoginName();

} // namespace zepla::ui
