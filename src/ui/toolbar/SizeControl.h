// One size setting of the tool in the toolbar: its point-size field followed by up and down arrows.
#pragma once

#include <QString>
#include <QWidget>

namespace zepla::ui {

class PointSizeField;

// A numeric setting as the toolbar shows it.
struct SizeSetting {
    QString help;
    double minimum;
    double maximum;
    int fieldWidth;
    double step;

    static const SizeSetting& strokeWidth();
    static const SizeSetting& eraserSize();
    static const SizeSetting& fontSize();
};

class SizeControl : public QWidget {
    Q_OBJECT

public:
    SizeControl(const SizeSetting& setting, double value, QWidget* parent = nullptr);

    PointSizeField* field() const { return m_field; }
    QWidget* upButton() const { return m_up; }
    QWidget* downButton() const { return m_down; }

    // The setting changed elsewhere.
    void setValue(double value);

signals:
    // A value for the setting: typed into the field, or one step of the arrows (kept within the range).
    void valueChosen(double value);

private:
    void step(double direction);

    const SizeSetting& m_setting;
    double m_value;
    PointSizeField* m_field;
    QWidget* m_up;
    QWidget* m_down;
};

} // namespace zepla::ui
