// A compact numeric field for one size setting of the tool: typed numbers are accepted on Return or when the
// field loses focus, clamped into the setting's range and handed on; anything else puts the value back.
#pragma once

#include <QWidget>

#include <optional>

class QLineEdit;

namespace zepla::ui {

class PointSizeField : public QWidget {
    Q_OBJECT

public:
    PointSizeField(double value, double minimum, double maximum, int width, const QString& help,
                   QWidget* parent = nullptr);

    // The text shown for a value: whole numbers without a decimal point, others with one decimal.
    static QString format(double value);
    // The number a whole text stands for in C-locale notation; nothing for empty text, leading white space
    // or anything left over after the number.
    static std::optional<double> parse(const QString& text);

    double value() const { return m_value; }
    // The setting changed elsewhere: the shown text follows unless the user is typing a number.
    void setValue(double value);
    QLineEdit* lineEdit() const { return m_edit; }

    // Accepts the typed text (clamped and emitted as `committed`) or puts the current value back.
    void commit();

signals:
    // Every accepted commit, also when the number equals the current value.
    void committed(double value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double m_value;
    double m_minimum;
    double m_maximum;
    QLineEdit* m_edit;
    // Text typed since the last commit, not yet accepted or put back.
    bool m_typing = false;
};

} // namespace zepla::ui
