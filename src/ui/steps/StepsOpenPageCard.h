#pragma once

#ifndef Q_MOC_RUN
#include "StepsZoomRequest.h"
#include "Uuid.h"
#endif

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QMenu;

namespace tavlen {
class ModelSettings;
class Step;
class StepsDraft;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class StepsScreenshotView;
class TavlenButton;

// The body of the Open page step's card: the page address, the capture's status line, the last run's failure,
// the screenshot with its zoom bar and image size (or a placeholder before the first capture), and the "Add step"
// menu that turns a newly drawn area into a Read step. Every change goes to the step's settings and the draft.
// Main thread only.
class StepsOpenPageCard : public QWidget
{
    Q_OBJECT

public:
    // onTestStep runs a test through this step; onAppend is told the id of a Read step the card appended.
    StepsOpenPageCard(Uuid monitorID,
                      std::shared_ptr<Step> step,
                      std::shared_ptr<StepsDraft> draft,
                      StepsStore& store,
                      ModelSettings* models,
                      std::function<void()> onTestStep,
                      std::function<void(const Uuid&)> onAppend,
                      QWidget* parent = nullptr);
    ~StepsOpenPageCard() override;

    const StepsZoomRequest& zoomRequest() const { return m_zoomRequest; }

    QLineEdit* urlField() const { return m_url; }

    StepsScreenshotView* screenshotView() const { return m_screenshot; }

    TavlenButton* addStepButton() const { return m_addStep; }

    QMenu* addStepMenu() const { return m_menu; }

    // Replaces the zoom request with a new one (a new id, so the view applies it even when repeated).
    void requestZoom(StepsZoomRequest::Action action);
    // The "Read" menu item: appends a Read step for the pending area.
    void addReadStep();

private:
    bool isRunningSteps() const;
    void refresh();
    void applyScreenshotInputs();

    Uuid m_monitorID;
    std::shared_ptr<Step> m_step;
    std::shared_ptr<StepsDraft> m_draft;
    StepsStore& m_store;
    ModelSettings* m_models;
    std::function<void()> m_onTestStep;
    std::function<void(const Uuid&)> m_onAppend;
    StepsZoomRequest m_zoomRequest;
    QLineEdit* m_url;
    QLabel* m_status;
    QLabel* m_failure;
    QWidget* m_toolbar;
    QLabel* m_imageSize;
    StepsScreenshotView* m_screenshot;
    QWidget* m_placeholder;
    TavlenButton* m_addStep;
    QMenu* m_menu;
};

} // namespace tavlen::ui
