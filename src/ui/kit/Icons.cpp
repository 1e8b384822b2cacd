#include "Icons.h"

#include <QFile>
#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <optional>

namespace tavlen::ui {

namespace {

QString resourcePath(const QString& symbolName)
{
    return QStringLiteral(":/icons/") + symbolName + QStringLiteral(".svg");
}

QImage renderTinted(const QString& symbolName, const QColor& color, QSize pixelSize)
{
    if (pixelSize.isEmpty()) {
        return {};
    }
    QSvgRenderer renderer(resourcePath(symbolName));
    if (!renderer.isValid()) {
        return {};
    }
    QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Square symbols centred in whatever rectangle they are asked for.
    const int side = std::min(pixelSize.width(), pixelSize.height());
    const QRectF target((pixelSize.width() - side) / 2.0, (pixelSize.height() - side) / 2.0, side, side);
    renderer.render(&painter, target);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    return image;
}

class KitIconEngine final : public QIconEngine
{
public:
    KitIconEngine(QString symbolName, std::optional<QPalette::ColorRole> role, QColor color)
        : m_symbolName(std::move(symbolName))
        , m_role(role)
        , m_color(color)
    {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QSize pixels(static_cast<int>(std::lround(rect.width() * ratio)),
                           static_cast<int>(std::lround(rect.height() * ratio)));
        QImage image = renderTinted(m_symbolName, colorFor(mode), pixels);
        image.setDevicePixelRatio(ratio);
        painter->drawImage(rect.topLeft(), image);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        return QPixmap::fromImage(renderTinted(m_symbolName, colorFor(mode), size));
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        const QSize pixels(static_cast<int>(std::lround(size.width() * scale)),
                           static_cast<int>(std::lround(size.height() * scale)));
        QPixmap result = QPixmap::fromImage(renderTinted(m_symbolName, colorFor(mode), pixels));
        result.setDevicePixelRatio(scale);
        return result;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

    QIconEngine* clone() const override { return new KitIconEngine(m_symbolName, m_role, m_color); }

    QString key() const override { return QStringLiteral("tavlen.kit"); }

    QString iconName() override { return m_symbolName; }

    bool isNull() override { return !hasKitIcon(m_symbolName); }

private:
    QColor colorFor(QIcon::Mode mode) const
    {
        QColor color = m_role ? QGuiApplication::palette().color(QPalette::Active, *m_role) : m_color;
        if (mode == QIcon::Disabled) {
            color.setAlphaF(color.alphaF() * 0.35f);
        }
        return color;
    }

    QString m_symbolName;
    std::optional<QPalette::ColorRole> m_role;
    QColor m_color;
};

} // namespace

bool hasKitIcon(const QString& symbolName)
{
    return !symbolName.isEmpty() && QFile::exists(resourcePath(symbolName));
}

QIcon kitIcon(const QString& symbolName, QPalette::ColorRole role)
{
    if (!hasKitIcon(symbolName)) {
        return {};
    }
    return QIcon(new KitIconEngine(symbolName, role, {}));
}

QIcon kitIcon(const QString& symbolName, const QColor& color)
{
    if (!hasKitIcon(symbolName)) {
        return {};
    }
    return QIcon(new KitIconEngine(symbolName, std::nullopt, color));
}

QPixmap kitIconPixmap(const QString& symbolName, const QColor& color, QSize logicalSize, qreal devicePixelRatio)
{
    const QSize pixels(static_cast<int>(std::lround(logicalSize.width() * devicePixelRatio)),
                       static_cast<int>(std::lround(logicalSize.height() * devicePixelRatio)));
    const QImage image = renderTinted(symbolName, color, pixels);
    if (image.isNull()) {
        return {};
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

} // namespace tavlen::ui
