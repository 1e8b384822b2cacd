#pragma once

#ifndef Q_MOC_RUN
#include "KeyedViewTask.h"
#include "StepsDragGeometry.h"
#include "Uuid.h"
#endif

#include <QScrollArea>

#include <map>
#include <memory>

class QPropertyAnimation;

namespace tavlen {
class ModelSettings;
class StepsDraft;
class StepsSession;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class StepsCardView;
class StepsDiagramColumn;
class StepsDiagramState;
class StepsFocusRegistry;

// The body of the Steps tab: a scrolling column with one card per step in workflow order, a drop slot before
// every card and after the last, and connectors from each Read step's source card to its header. It scrolls to a
// card a card asks for, and after every refused save or run moves the keyboard to the first invalid input.
// Cards are kept by step id across reorders. Main thread only.
class StepsDiagramView : public QScrollArea
{
    Q_OBJECT

public:
    StepsDiagramView(Uuid monitorID,
                     std::shared_ptr<StepsDraft> draft,
                     StepsStore& store,
                     std::shared_ptr<StepsSession> session,
                     ModelSettings* models,
                     QWidget* parent = nullptr);
    ~StepsDiagramView() override;

    StepsDiagramState& state() const { return *m_state; }

    // The card of the step, or null.
    StepsCardView* card(const Uuid& stepID) const;

    // Cards and headers in column coordinates, as last laid out.
    const StepsAnchors& anchors() const { return m_anchors; }

    // The column the cards live in; its coordinates are the diagram's ("stepsDiagram").
    QWidget* column() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class StepsDiagramColumn;

    void syncCards();
    void layoutColumn();
    void scrollToRequestedCard();
    void scrollToCard(const Uuid& stepID, bool animated);
    QCoro::Task<void> focusFirstIssue(std::stop_token stop);

    Uuid m_monitorID;
    std::shared_ptr<StepsDraft> m_draft;
    StepsStore& m_store;
    std::shared_ptr<StepsSession> m_session;
    ModelSettings* m_models;
    StepsDiagramState* m_state;
    StepsFocusRegistry* m_focus;
    StepsDiagramColumn* m_column;
    std::map<Uuid, StepsCardView*> m_cards;
    StepsAnchors m_anchors;
    QPropertyAnimation* m_scrollAnimation;
    KeyedViewTask<Uuid> m_focusTask;
};

} // namespace tavlen::ui
