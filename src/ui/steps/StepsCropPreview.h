#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "BrowserRect.h"
#include "KeyedViewTask.h"
#include "StepsCapture.h"
#endif

#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>

namespace tavlen::ui {

class ProgressSpinner;
class StepsCropImageView;

// A Read step's region cut out of its Open page step's screenshot, at most 480 × 100 points: a warning when the
// region lies outside the screenshot, a spinner while the crop is made off the main thread, then the crop, which
// the user can zoom and pan. A tap on it asks to select the step (selectRequested). It never changes the region.
//
// The host calls setSource whenever the screenshot or the region changes (each change makes a new crop, shown
// fitted) and setSelected for the selected border. Main thread only.
class StepsCropPreview : public QWidget
{
    Q_OBJECT

public:
    explicit StepsCropPreview(QWidget* parent = nullptr);
    ~StepsCropPreview() override;

    void setSource(std::shared_ptr<const StepsCapture> screenshot, const BrowserRect& region);
    void setSelected(bool selected);

    // What is shown, for tests and the host's layout.
    bool isOutsideScreenshot() const;
    bool isLoading() const;

    StepsCropImageView* imageView() const { return m_image; }

Q_SIGNALS:
    void selectRequested();

private:
    // A crop is identified by the capture (each capture is its own object) and the exact region.
    struct Source
    {
        std::shared_ptr<const StepsCapture> screenshot;
        BrowserRect region;

        friend bool operator==(const Source& lhs, const Source& rhs)
        {
            return lhs.screenshot == rhs.screenshot && lhs.region == rhs.region;
        }
    };

    QCoro::Task<void> makeCrop(Source source, std::stop_token stop);

    QWidget* m_outside;
    ProgressSpinner* m_spinner;
    StepsCropImageView* m_image;
    bool m_selected = false;
    bool m_hasCrop = false;
    KeyedViewTask<Source> m_crop;
};

} // namespace tavlen::ui
