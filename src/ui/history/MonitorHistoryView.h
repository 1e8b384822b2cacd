#pragma once

#ifndef Q_MOC_RUN
#include "HistoryListState.h"
#include "KeyedViewTask.h"
#endif

#include <QWidget>

#include <cstdint>

class QLabel;
class QStackedWidget;

namespace tavlen {
class MonitorHistory;
}

namespace tavlen::ui {

class AlertPresenter;
class HistoryCheckList;
class TavlenButton;

// The History tab of a monitor: its stored checks newest first with the footer that pages in older ones, or the
// loading and empty states, an error banner with Retry above either, and the confirmation that deletes a check.
// It refreshes whenever it comes on screen and whenever the stored-checks revision changes; leaving the screen
// cancels the model's requests. Everything it shows comes from the model.
class MonitorHistoryView : public QWidget
{
    Q_OBJECT

public:
    // model must outlive the view.
    MonitorHistoryView(std::int64_t revision, MonitorHistory& model, QWidget* parent = nullptr);
    ~MonitorHistoryView() override;

    // A stored or deleted check.
    void setRevision(std::int64_t revision);

    HistoryContent content() const { return m_contentKind; }

    HistoryCheckList* list() const { return m_list; }

    AlertPresenter* deletionAlert() const { return m_alert; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* makeBanner();
    void refresh();
    void presentDeletion();

    MonitorHistory& m_model;
    QWidget* m_banner = nullptr;
    QLabel* m_bannerText = nullptr;
    TavlenButton* m_retry = nullptr;
    QStackedWidget* m_content = nullptr;
    HistoryCheckList* m_list = nullptr;
    HistoryContent m_contentKind = HistoryContent::loading;
    AlertPresenter* m_alert = nullptr;
    KeyedViewTask<std::int64_t> m_load;
};

} // namespace tavlen::ui
