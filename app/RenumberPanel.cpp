#include "RenumberPanel.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QApplication>
#include <QVBoxLayout>

#include "WindowActions.h"
#include "base/Numbers.h"

namespace permuto {

namespace {

std::optional<int32_t> IndexIn(const QLineEdit* Edit)
{
    int32_t Value = 0;
    if (!IsDecimalInteger(Edit->text().toStdString(), &Value))
        return std::nullopt;
    return Value;
}

} // namespace

TRenumberPanel::TRenumberPanel(const TWindowActions& Actions, QWidget* Parent)
    : QWidget(Parent)
    , FChoice(new QButtonGroup(this))
{
    auto* Controls = new QVBoxLayout(this);
    Controls->setContentsMargins(4, 4, 4, 4);
    auto* Group = new QGroupBox(QStringLiteral("Section"), this);
    auto* Choice = new QVBoxLayout(Group);
    FRadioPoly = new QRadioButton(QStringLiteral("&poly"), Group);
    FRadioCommon = new QRadioButton(QStringLiteral("&common"), Group);
    Choice->addWidget(FRadioPoly);
    Choice->addWidget(FRadioCommon);
    FChoice->addButton(FRadioPoly, 0);
    FChoice->addButton(FRadioCommon, 1);
    FRadioPoly->setChecked(true);
    Controls->addWidget(Group);

    FEditIndex1 = IndexField(tr("First module index of a swap (Enter swaps)"));
    FEditIndex2 = IndexField(tr("Second module index of a swap (Enter swaps)"));
    auto* Label1 = new QLabel(tr("First &index"), this);
    auto* Label2 = new QLabel(tr("Seco&nd index"), this);
    Label1->setBuddy(FEditIndex1);
    Label2->setBuddy(FEditIndex2);
    FEditIndex1->setAccessibleName(tr("First index"));
    FEditIndex2->setAccessibleName(tr("Second index"));
    for (QWidget* Control : std::initializer_list<QWidget*>{Label1, FEditIndex1, Label2, FEditIndex2})
        Controls->addWidget(Control);
    for (QAction* Action : {Actions.Swap, Actions.Order, Actions.OrderFewest, Actions.MoveUp, Actions.MoveDown}) {
        FButtons << new TActionButton(Action, {}, this);
        Controls->addWidget(FButtons.last());
    }
    Controls->addStretch(1);

    connect(FChoice, &QButtonGroup::idClicked, this, [this](int Item) {
        if (Item == 0 || Item == 1) {
            SetArea(Item == 0 ? AreaPoly : AreaCommon);
            emit AreaChosen(FArea);
        }
    });
}

QLineEdit* TRenumberPanel::IndexField(const QString& Tip)
{
    auto* Edit = new QLineEdit(QStringLiteral("0"), this);
    Edit->setToolTip(Tip);
    // Whatever is typed stays as typed; text that is no decimal index is
    // shown in red, and a swap says what is wrong with it.
    connect(Edit, &QLineEdit::textChanged, Edit, [Edit] {
        QPalette Colours = Edit->palette();
        Colours.setColor(QPalette::Text, IndexIn(Edit) ? QApplication::palette().color(QPalette::Text) : QColor(Qt::red));
        Edit->setPalette(Colours);
    });
    // Once the typing is done the field shows the index in decimal ("007" is 7).
    connect(Edit, &QLineEdit::editingFinished, Edit, [Edit] {
        if (const std::optional<int32_t> Value = IndexIn(Edit); Value && Edit->text() != QString::number(*Value))
            Edit->setText(QString::number(*Value));
    });
    connect(Edit, &QLineEdit::returnPressed, this, &TRenumberPanel::SwapRequested);
    return Edit;
}

void TRenumberPanel::SetArea(TArea Area)
{
    FArea = Area;
    (FArea == AreaPoly ? FRadioPoly : FRadioCommon)->setChecked(true);
}

std::optional<int32_t> TRenumberPanel::Index1() const
{
    return IndexIn(FEditIndex1);
}

std::optional<int32_t> TRenumberPanel::Index2() const
{
    return IndexIn(FEditIndex2);
}

QString TRenumberPanel::IndexProblem() const
{
    for (const QLineEdit* Edit : {FEditIndex1, FEditIndex2}) {
        // Which field it is, in the words its label uses.
        const std::string Problem =
            IndexProblemText(Edit->text().toStdString(), Edit == FEditIndex1 ? "First index" : "Second index");
        if (!Problem.empty())
            return QString::fromStdString(Problem);
    }
    return {};
}

QList<QWidget*> TRenumberPanel::TabOrder() const
{
    return QList<QWidget*>{FRadioPoly, FRadioCommon, FEditIndex1, FEditIndex2} + FButtons;
}

} // namespace permuto
