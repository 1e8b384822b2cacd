#pragma once

#ifndef Q_MOC_RUN
#include "StepsValidationContext.h"
#include "Uuid.h"
#endif

#include <QPointF>
#include <QWidget>

#include <memory>
#include <optional>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;

namespace tavlen {
class ModelSettings;
class Step;
class StepsDraft;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class StepsCropPreview;
class StepsDiagramState;
class StepsOpenPageCard;
class StepsReadFields;
class StepsReadingResults;
class StepsTestControl;
class TavlenButton;

// One step of the diagram: a header row (number, kind, configure, and for Read steps move up, move down and
// delete), a divider, a Read step's crop preview and the step's body (the Open page card, or a Read step's
// fields and readings). A Read card is dragged to reorder the steps (the drop rule of the diagram's geometry)
// and tapped to select its region; the Open page card does neither. It keeps a Read step's model consistent with
// the configured models and never shows errors of its own. Main thread only.
class StepsCardView : public QWidget
{
    Q_OBJECT

public:
    StepsCardView(Uuid monitorID,
                  std::shared_ptr<Step> step,
                  std::shared_ptr<StepsDraft> draft,
                  StepsStore& store,
                  StepsDiagramState& diagram,
                  ModelSettings* models,
                  std::optional<StepsValidationContext> validation,
                  QWidget* parent = nullptr);
    ~StepsCardView() override;

    const std::shared_ptr<Step>& step() const { return m_step; }

    // The step's position in the draft; the Open page step is 0, so Read steps show 1, 2, 3…
    int index() const { return m_index; }

    void setIndex(int index);

    // The header row's rectangle in the card's coordinates.
    QRect headerGeometry() const;

    StepsOpenPageCard* openPageCard() const { return m_openPageCard; }

    StepsTestControl* testControl() const { return m_testControl; }

    StepsCropPreview* cropPreview() const { return m_crop; }

    StepsReadingResults* readingResults() const { return m_results; }

    bool hasHeightForWidth() const override { return true; }

    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool isRead() const;
    bool isRunningSteps() const;
    void buildHeader();
    void refresh();
    void refreshCrop();
    void refreshResults();
    void reconcileModel();
    void testStep();
    void appendedStep(const Uuid& stepID);

    Uuid m_monitorID;
    std::shared_ptr<Step> m_step;
    std::shared_ptr<StepsDraft> m_draft;
    StepsStore& m_store;
    StepsDiagramState& m_diagram;
    ModelSettings* m_models;
    std::optional<StepsValidationContext> m_validation;
    int m_index = 0;
    std::optional<QPointF> m_pressAt;
    bool m_dragging = false;
    QVBoxLayout* m_layout;
    QWidget* m_header;
    QHBoxLayout* m_headerLayout;
    QLabel* m_number = nullptr;
    TavlenButton* m_configure = nullptr;
    TavlenButton* m_moveUp = nullptr;
    TavlenButton* m_moveDown = nullptr;
    TavlenButton* m_delete = nullptr;
    StepsCropPreview* m_crop = nullptr;
    StepsTestControl* m_testControl = nullptr;
    StepsReadingResults* m_results = nullptr;
    StepsReadFields* m_fields = nullptr;
    StepsOpenPageCard* m_openPageCard = nullptr;
};

} // namespace tavlen::ui
