#pragma once

#ifndef Q_MOC_RUN
#include "KeyedViewTask.h"
#include "StepsEditorState.h"
#include "Uuid.h"
#endif

#include <QWidget>

#include <memory>

class QVBoxLayout;

namespace tavlen {
class ModelSettings;
class MonitorWorkspace;
class StepsDraft;
class StepsSession;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class AlertPresenter;
class ContentUnavailableView;
class StepsDiagramView;
class StepsWarningBanner;

// The Steps tab of one monitor: loads the monitor's steps into the store's editing session and shows a loading
// indicator, an unavailable placeholder with "Retry", or the steps diagram under up to two warning banners (an
// unstored result, a storage error of the session), each with its one recovery action, and the confirmation
// before discarding edits to reload the saved steps.
//
// Without a workspace the recovery actions go to the steps store alone and the texts speak of Steps; with one,
// they go to the workspace, which saves, reloads or discards the monitor's name, schedule and Steps together.
// The model settings (optional) give the Read steps their models. Everything given must outlive the view. Main
// thread only.
class StepsEditorView : public QWidget
{
    Q_OBJECT

public:
    StepsEditorView(Uuid monitorID,
                    StepsStore& store,
                    MonitorWorkspace* workspace,
                    ModelSettings* models = nullptr,
                    QWidget* parent = nullptr);
    ~StepsEditorView() override;

    const Uuid& monitorID() const { return m_monitorID; }

    // What the tab shows now.
    const StepsEditorPresentation& presentation() const { return m_presentation; }

    bool confirmsReload() const { return m_confirmsReload; }

    // The diagram while a draft is shown, else null.
    StepsDiagramView* diagram() const { return m_diagram; }

private:
    void observeSession();
    void refresh();
    void showDiagram(const std::shared_ptr<StepsSession>& session);
    void setConfirmsReload(bool confirms);
    void retryStorage();
    void retrySave();
    void discardAndReload();
    StepsEditorInputs inputs() const;

    Uuid m_monitorID;
    StepsStore& m_store;
    MonitorWorkspace* m_workspace;
    ModelSettings* m_models;
    StepsEditorPresentation m_presentation;
    bool m_confirmsReload = false;
    // The session whose signals are connected, and the draft the diagram shows.
    std::shared_ptr<StepsSession> m_session;
    std::shared_ptr<StepsDraft> m_shownDraft;
    QWidget* m_content;
    QWidget* m_loading;
    ContentUnavailableView* m_unavailable;
    StepsWarningBanner* m_resultBanner;
    StepsWarningBanner* m_storageBanner;
    StepsDiagramView* m_diagram = nullptr;
    QVBoxLayout* m_layout;
    AlertPresenter* m_alert;
    KeyedViewTask<Uuid> m_load;
};

} // namespace tavlen::ui
