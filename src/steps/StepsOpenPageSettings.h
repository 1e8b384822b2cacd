#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "BrowserCaptureSettings.h"
#include "BrowserRect.h"
#include "StepsCapture.h"
#include "StepsCapturePhase.h"
#include "Uuid.h"
#endif

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tavlen {

// The observable settings of an Open page step. Numeric inputs are kept as typed and parsed only when used.
// Changes of the saved inputs (url, the four texts, mobile) call onEdit; the capture state (screenshot, phase,
// selection, focusRegionToken) only notifies. Main thread only.
class StepsOpenPageSettings : public QObject
{
    Q_OBJECT

public:
    // Width and height become their decimal texts, the factor its shortest text without a trailing ".0";
    // the delay text starts as "1". No callback is installed.
    StepsOpenPageSettings(
        std::string url, std::int64_t width, std::int64_t height, bool mobile, double deviceScaleFactor);

    // The shortest decimal text that reads back as the same number, without a trailing ".0" (2 gives "2").
    static std::string formatDeviceScaleFactor(double factor);

    const std::function<void()>& onEdit() const { return m_onEdit; }

    void setOnEdit(std::function<void()> onEdit) { m_onEdit = std::move(onEdit); }

    const std::string& url() const { return m_url; }

    const std::string& screenshotDelayText() const { return m_screenshotDelayText; }

    const std::string& viewportWidthText() const { return m_viewportWidthText; }

    const std::string& viewportHeightText() const { return m_viewportHeightText; }

    const std::string& deviceScaleFactorText() const { return m_deviceScaleFactorText; }

    bool mobile() const { return m_mobile; }

    const std::shared_ptr<const StepsCapture>& screenshot() const { return m_screenshot; }

    std::optional<StepsCapturePhase> phase() const { return m_phase; }

    const std::optional<BrowserRect>& selection() const { return m_selection; }

    const Uuid& focusRegionToken() const { return m_focusRegionToken; }

    void setUrl(std::string url);
    void setScreenshotDelayText(std::string text);
    void setViewportWidthText(std::string text);
    void setViewportHeightText(std::string text);
    void setDeviceScaleFactorText(std::string text);
    void setMobile(bool mobile);
    void setScreenshot(std::shared_ptr<const StepsCapture> screenshot);
    void setPhase(std::optional<StepsCapturePhase> phase);
    void setSelection(std::optional<BrowserRect> selection);
    void setFocusRegionToken(const Uuid& token);

    // The requested capture viewport built from the texts: a rejected width, height or factor text gives 0.
    // No range check; the capture-settings check refuses what is out of range.
    BrowserCaptureSettings viewport() const;

    // The delay in whole seconds from its text, or -1 when the text is not a whole number.
    std::int64_t screenshotDelay() const;
    void setScreenshotDelay(std::int64_t seconds);

Q_SIGNALS:
    void urlChanged();
    void screenshotDelayTextChanged();
    void viewportWidthTextChanged();
    void viewportHeightTextChanged();
    void deviceScaleFactorTextChanged();
    void mobileChanged();
    void screenshotChanged();
    void phaseChanged();
    void selectionChanged();
    void focusRegionTokenChanged();

private:
    void reportEdit() const;

    std::function<void()> m_onEdit;
    std::string m_url;
    std::string m_screenshotDelayText = "1";
    std::string m_viewportWidthText;
    std::string m_viewportHeightText;
    std::string m_deviceScaleFactorText;
    bool m_mobile = false;
    std::shared_ptr<const StepsCapture> m_screenshot;
    std::optional<StepsCapturePhase> m_phase;
    std::optional<BrowserRect> m_selection;
    Uuid m_focusRegionToken;
};

} // namespace tavlen
