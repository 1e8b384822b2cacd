#include "ChartTextLayout.h"

#include "ChartsText.h"
#include "QtText.h"

#include <QList>
#include <QStringList>
#include <QTextBoundaryFinder>

namespace tavlen::ui {

namespace {

constexpr double blockHeight = 20;
constexpr double raise = 8;
constexpr double minimumSeparatedWidth = 6;

bool isLineBreakLike(char32_t scalar)
{
    return scalar == 0x09 || (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85 || scalar == 0x2028 ||
           scalar == 0x2029;
}

// The text cut into user-perceived characters.
QStringList charactersOf(const QString& text)
{
    QStringList characters;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        characters.push_back(text.mid(start, end - start));
        start = end;
    }
    return characters;
}

} // namespace

std::vector<ChartTextBlock>
makeChartTextBlocks(const std::vector<ChartTextInterval>& intervals, const ChartTimeScale& scale, double plotMidY)
{
    std::vector<ChartTextBlock> blocks;
    blocks.reserve(intervals.size());
    for (const ChartTextInterval& interval : intervals) {
        const std::optional<double> start = scale.position(interval.startMilliseconds);
        const std::optional<double> end = scale.position(interval.endMilliseconds);
        if (!start || !end) {
            continue;
        }
        blocks.push_back({interval, QRectF(*start, plotMidY - blockHeight / 2, *end - *start, blockHeight)});
    }
    return blocks;
}

QRectF raisedChartTextRect(const QRectF& rect)
{
    return {rect.x(), rect.y() - raise, rect.width(), rect.height() + raise};
}

std::vector<double> chartTextSeparatorPositions(const std::vector<ChartTextBlock>& blocks)
{
    std::vector<double> positions;
    for (std::size_t k = 0; k + 1 < blocks.size(); ++k) {
        const ChartTextBlock& first = blocks[k];
        const ChartTextBlock& next = blocks[k + 1];
        if (first.interval.endMilliseconds == next.interval.startMilliseconds &&
            first.rect.width() >= minimumSeparatedWidth && next.rect.width() >= minimumSeparatedWidth) {
            positions.push_back(next.rect.left());
        }
    }
    return positions;
}

std::optional<std::size_t>
chartTextBlockAt(const std::vector<ChartTextBlock>& blocks, QPointF point, const std::optional<Uuid>& selectedID)
{
    std::size_t low = 0;
    std::size_t high = blocks.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (point.x() < blocks[middle].rect.right()) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    if (low == blocks.size()) {
        return std::nullopt;
    }
    const ChartTextBlock& block = blocks[low];
    const QRectF rect = selectedID == block.interval.id ? raisedChartTextRect(block.rect) : block.rect;
    if (point.x() >= rect.left() && point.y() >= rect.top() && point.y() < rect.bottom()) {
        return low;
    }
    return std::nullopt;
}

QString chartTextLabelText(const std::string& text)
{
    if (text.empty()) {
        return toQString(chartsText::emptyText);
    }
    QString line;
    for (const QString& character : charactersOf(toQString(text))) {
        const char32_t first = character.toUcs4().value(0);
        line += isLineBreakLike(first) ? QStringLiteral(" ") : character;
    }
    return line;
}

std::optional<QString> fittedChartLabel(const QString& text, double maxWidth, const ChartTextMeasure& measure)
{
    if (measure(text) <= maxWidth) {
        return text;
    }
    const QStringList characters = charactersOf(text);
    if (characters.isEmpty()) {
        return std::nullopt;
    }
    const QString dots = QStringLiteral("...");
    QString best = characters.front() + dots;
    if (measure(best) > maxWidth) {
        return std::nullopt;
    }
    if (characters.size() < 3) {
        return best;
    }
    const auto prefix = [&](qsizetype count) { return QStringList(characters.mid(0, count)).join(QString()) + dots; };
    qsizetype low = 1;
    qsizetype high = characters.size() - 1;
    while (low < high) {
        const qsizetype middle = low + (high - low + 1) / 2;
        QString candidate = prefix(middle);
        if (measure(candidate) <= maxWidth) {
            best = std::move(candidate);
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return best;
}

} // namespace tavlen::ui
