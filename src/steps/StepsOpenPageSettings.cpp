#include "StepsOpenPageSettings.h"

#include "NumericInputParsers.h"
#include "StepsChangeRule.h"

#include <array>
#include <charconv>

namespace tavlen {

StepsOpenPageSettings::StepsOpenPageSettings(
    std::string url, std::int64_t width, std::int64_t height, bool mobile, double deviceScaleFactor)
    : m_url(std::move(url))
    , m_viewportWidthText(std::to_string(width))
    , m_viewportHeightText(std::to_string(height))
    , m_deviceScaleFactorText(formatDeviceScaleFactor(deviceScaleFactor))
    , m_mobile(mobile)
    , m_focusRegionToken(Uuid::random())
{}

std::string StepsOpenPageSettings::formatDeviceScaleFactor(double factor)
{
    std::array<char, 64> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), factor);
    std::string text(buffer.data(), error == std::errc() ? end : buffer.data());
    if (text.size() > 2 && text.ends_with(".0")) {
        text.resize(text.size() - 2);
    }
    return text;
}

void StepsOpenPageSettings::reportEdit() const
{
    // A copy, so the callback may replace itself while it runs.
    if (std::function<void()> onEdit = m_onEdit) {
        onEdit();
    }
}

void StepsOpenPageSettings::setUrl(std::string url)
{
    if (storeObservedText(m_url, std::move(url))) {
        Q_EMIT urlChanged();
        reportEdit();
    }
}

void StepsOpenPageSettings::setScreenshotDelayText(std::string text)
{
    if (storeObservedText(m_screenshotDelayText, std::move(text))) {
        Q_EMIT screenshotDelayTextChanged();
        reportEdit();
    }
}

void StepsOpenPageSettings::setViewportWidthText(std::string text)
{
    if (storeObservedText(m_viewportWidthText, std::move(text))) {
        Q_EMIT viewportWidthTextChanged();
        reportEdit();
    }
}

void StepsOpenPageSettings::setViewportHeightText(std::string text)
{
    if (storeObservedText(m_viewportHeightText, std::move(text))) {
        Q_EMIT viewportHeightTextChanged();
        reportEdit();
    }
}

void StepsOpenPageSettings::setDeviceScaleFactorText(std::string text)
{
    if (storeObservedText(m_deviceScaleFactorText, std::move(text))) {
        Q_EMIT deviceScaleFactorTextChanged();
        reportEdit();
    }
}

void StepsOpenPageSettings::setMobile(bool mobile)
{
    if (storeObserved(m_mobile, mobile)) {
        Q_EMIT mobileChanged();
        reportEdit();
    }
}

void StepsOpenPageSettings::setScreenshot(std::shared_ptr<const StepsCapture> screenshot)
{
    // Screenshots compare by identity.
    if (storeObserved(m_screenshot, std::move(screenshot))) {
        Q_EMIT screenshotChanged();
    }
}

void StepsOpenPageSettings::setPhase(std::optional<StepsCapturePhase> phase)
{
    if (storeObserved(m_phase, phase)) {
        Q_EMIT phaseChanged();
    }
}

void StepsOpenPageSettings::setSelection(std::optional<BrowserRect> selection)
{
    if (storeObserved(m_selection, selection)) {
        Q_EMIT selectionChanged();
    }
}

void StepsOpenPageSettings::setFocusRegionToken(const Uuid& token)
{
    if (storeObserved(m_focusRegionToken, token)) {
        Q_EMIT focusRegionTokenChanged();
    }
}

BrowserCaptureSettings StepsOpenPageSettings::viewport() const
{
    BrowserCaptureSettings settings;
    settings.width = parseWholeNumber(m_viewportWidthText).value_or(0);
    settings.height = parseWholeNumber(m_viewportHeightText).value_or(0);
    settings.deviceScaleFactor = parsePositiveDecimal(m_deviceScaleFactorText).value_or(0);
    settings.mobile = m_mobile;
    return settings;
}

std::int64_t StepsOpenPageSettings::screenshotDelay() const
{
    return parseWholeNumber(m_screenshotDelayText).value_or(-1);
}

void StepsOpenPageSettings::setScreenshotDelay(std::int64_t seconds)
{
    setScreenshotDelayText(std::to_string(seconds));
}

} // namespace tavlen
