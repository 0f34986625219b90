// Raw values of the message roles.
#include "messages/AIMessage.h"

namespace zepla::ai {

QString rawValue(AIRole role) {
    return role == AIRole::assistant ? QStringLiteral("assistant") : QStringLiteral("user");
}

} // namespace zepla::ai
