// Raw values of the model preferences.
#include "messages/AIModelPreference.h"

namespace zepla::ai {

const QList<AIModelPreference>& allModelPreferences() {
    static const QList<AIModelPreference> all{AIModelPreference::highPerformance, AIModelPreference::balanced,
                                              AIModelPreference::fast};
    return all;
}

QString rawValue(AIModelPreference preference) {
    switch (preference) {
    case AIModelPreference::highPerformance:
        return QStringLiteral("High Perf");
    case AIModelPreference::balanced:
        return QStringLiteral("Balanced");
    case AIModelPreference::fast:
        return QStringLiteral("Fast");
    }
    return {};
}

std::optional<AIModelPreference> modelPreferenceFromRawValue(QStringView raw) {
    for (AIModelPreference preference : allModelPreferences()) {
        if (raw == rawValue(preference))
            return preference;
    }
    return std::nullopt;
}

} // namespace zepla::ai
