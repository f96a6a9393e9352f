// The chooser's hue and saturation field and its brightness bar. Each only
// shows the numbers it is given and reports a pick; the dialog's model
// decides what the pick does to the colour.
#pragma once

#include "choosermodel.h"
#include "controls.h"

#include <QImage>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>

// Hue from left to right, saturation from full at the top to none at the
// bottom, at full brightness. Arrow keys move the cross by one step.
class THueSaturationField : public QWidget
{
    Q_OBJECT

public:
    explicit THueSaturationField(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(Width, Height);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::CrossCursor);
    }

    void setHueSaturation(int hue, int saturation)
    {
        m_hue = hue;
        m_saturation = saturation;
        update();
    }

signals:
    void picked(int hue, int saturation);

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_image.isNull()) {
            m_image = QImage(Width, Height, QImage::Format_RGB32);
            for (int y = 0; y < Height; ++y) {
                auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(y));
                for (int x = 0; x < Width; ++x)
                    line[x] = ToQColor(TChooserModel::HsvToColor({hueAt(x), saturationAt(y), 255})).rgb();
            }
        }
        QPainter painter(this);
        painter.drawImage(0, 0, m_image);
        const int x = m_hue * (Width - 1) / 359;
        const int y = (255 - m_saturation) * (Height - 1) / 255;
        painter.setPen(QPen(hasFocus() ? Qt::white : Qt::black, hasFocus() ? 2 : 1));
        painter.drawLine(x - 8, y, x - 3, y);
        painter.drawLine(x + 3, y, x + 8, y);
        painter.drawLine(x, y - 8, x, y - 3);
        painter.drawLine(x, y + 3, x, y + 8);
    }

    void mousePressEvent(QMouseEvent *event) override { pickAt(event->position().toPoint()); }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (event->buttons() & Qt::LeftButton)
            pickAt(event->position().toPoint());
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        int hue = m_hue;
        int saturation = m_saturation;
        switch (event->key()) {
        case Qt::Key_Left: hue = std::max(0, hue - 1); break;
        case Qt::Key_Right: hue = std::min(359, hue + 1); break;
        case Qt::Key_Up: saturation = std::min(255, saturation + 1); break;
        case Qt::Key_Down: saturation = std::max(0, saturation - 1); break;
        default: QWidget::keyPressEvent(event); return;
        }
        emit picked(hue, saturation);
    }

private:
    static constexpr int Width = 240;
    static constexpr int Height = 200;
    static int hueAt(int x) { return x * 359 / (Width - 1); }
    static int saturationAt(int y) { return 255 - y * 255 / (Height - 1); }

    void pickAt(QPoint point)
    {
        const int x = std::clamp(point.x(), 0, Width - 1);
        const int y = std::clamp(point.y(), 0, Height - 1);
        emit picked(hueAt(x), saturationAt(y));
    }

    QImage m_image;
    int m_hue = 0;
    int m_saturation = 0;
};

// Brightness of the current hue and saturation, full at the top.
class TBrightnessBar : public QWidget
{
    Q_OBJECT

public:
    explicit TBrightnessBar(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(24, 200);
        setFocusPolicy(Qt::StrongFocus);
    }

    void setColor(const THsv &hsv)
    {
        m_top = ToQColor(TChooserModel::HsvToColor({hsv.Hue, hsv.Saturation, 255}));
        m_value = hsv.Value;
        update();
    }

signals:
    void picked(int value);

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height() - 1);
        gradient.setColorAt(0, m_top);
        gradient.setColorAt(1, Qt::black);
        painter.fillRect(QRect(0, 0, 16, height()), gradient);
        const int y = (255 - m_value) * (height() - 1) / 255;
        painter.setBrush(hasFocus() ? palette().highlight() : palette().windowText());
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(QPolygon({QPoint(17, y), QPoint(23, y - 5), QPoint(23, y + 5)}));
    }

    void mousePressEvent(QMouseEvent *event) override { pickAt(event->position().toPoint().y()); }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (event->buttons() & Qt::LeftButton)
            pickAt(event->position().toPoint().y());
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        switch (event->key()) {
        case Qt::Key_Up: emit picked(std::min(255, m_value + 1)); break;
        case Qt::Key_Down: emit picked(std::max(0, m_value - 1)); break;
        default: QWidget::keyPressEvent(event); return;
        }
    }

private:
    void pickAt(int y)
    {
        y = std::clamp(y, 0, height() - 1);
        emit picked(255 - y * 255 / (height() - 1));
    }

    QColor m_top = Qt::white;
    int m_value = 0;
};
