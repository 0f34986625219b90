// The model preference sent with every request, and its raw values as the services and the panel know them.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace zepla::ai {

enum class AIModelPreference { highPerformance, balanced, fast };

// In the order the model menu lists them.
const QList<AIModelPreference>& allModelPreferences();

QString rawValue(AIModelPreference preference);

// Matches the raw values exactly, letter case and spaces included.
std::optional<AIModelPreference> modelPreferenceFromRawValue(QStringView raw);

} // namespace zepla::ai
