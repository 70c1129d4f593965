#include "motor/motorparameterdialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "motor/efficiencyclass.h"
#include "motor/motorconfirm.h"
#include "ui/geometry.h"

namespace zr5 {

namespace {

const QString kEfficiencyClassToolTip =
    QStringLiteral("额定效率所达到的 50 Hz 最低效率等级（IEC 60034-30-1）");

struct BoxLabel {
    const char* label;
    const char* unit;
};
const BoxLabel kBoxLabels[7] = {
    {"电机极数", ""},  {"额定功率", "kW"}, {"额定电流", "A"}, {"额定效率", "%"},
    {"空载电流", "A"}, {"空载功率", "kW"}, {"额定电压", "V"},
};

QGroupBox* MakeFrame(const QString& name, const QString& caption, const QString& toolTip,
                     QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    frame->setToolTip(toolTip);
    return frame;
}

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

MotorParameterDialog::MotorParameterDialog(AppState& state, UiServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), state_(state),
      services_(services) {
    setObjectName(QStringLiteral("MotorParameterDialog"));
    setWindowTitle(QStringLiteral("电机参数调取"));
    setFont(ChineseFont(9));
    buildWidgets();
    fitHeight();
    connectWidgets();
    move(TwipsToPixels(3000, this), TwipsToPixels(2000, this));
}

void MotorParameterDialog::buildWidgets() {
    // The controls stand on a page that scrolls when the screen is lower than the dialog. The
    // catalogue's lists stand on the left, the data and the code on the right, so that the whole
    // dialog fits a laptop's 768 lines with a title bar and a panel.
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    auto* layout = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(layout, 1);
    columns->addLayout(right);

    Frame1 = MakeFrame(QStringLiteral("Frame1"), QStringLiteral("内存电机参数分类"),
                       QStringLiteral("电机技术参数大类"), this);
    List1 = new QListWidget(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setFixedHeight(TwipsToPixels(1800, this));
    (new QVBoxLayout(Frame1))->addWidget(List1);
    layout->addWidget(Frame1);

    Frame2 = MakeFrame(QStringLiteral("Frame2"), QString(),
                       QStringLiteral("电机型号（可用鼠标双击或点击［详细资料］按钮得到技术数据）"),
                       this);
    auto* modelLayout = new QVBoxLayout(Frame2);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(QStringLiteral("查找型号："), Frame2));
    txtSearch = new QLineEdit(Frame2);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setPlaceholderText(QStringLiteral("输入型号的一部分，如 Y132M，在全部分类中查找"));
    txtSearch->setClearButtonEnabled(true);
    searchRow->addWidget(txtSearch);
    modelLayout->addLayout(searchRow);
    List2 = new QListWidget(Frame2);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setMinimumHeight(TwipsToPixels(2400, this));
    modelLayout->addWidget(List2);
    layout->addWidget(Frame2, 1);

    Frame3 = MakeFrame(QStringLiteral("Frame3"), QStringLiteral("电动机技术数据"), QString(), this);
    auto* dataLayout = new QGridLayout(Frame3);
    for (int i = 0; i < 7; ++i) {
        auto* label = new QLabel(QString::fromUtf8(kBoxLabels[i].label), Frame3);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Text2[i] = new QLineEdit(Frame3);
        Text2[i]->setObjectName(QStringLiteral("Text2_%1").arg(i));
        Text2[i]->setFixedWidth(TwipsToPixels(1500, this));
        auto* unit = new QLabel(QString::fromUtf8(kBoxLabels[i].unit), Frame3);
        dataLayout->addWidget(label, i, 0);
        dataLayout->addWidget(Text2[i], i, 1);
        dataLayout->addWidget(unit, i, 2);
    }
    lblEfficiencyClass = new QLabel(Frame3);
    lblEfficiencyClass->setObjectName(QStringLiteral("lblEfficiencyClass"));
    lblEfficiencyClass->setToolTip(kEfficiencyClassToolTip);
    lblEfficiencyClass->setMinimumWidth(TwipsToPixels(900, this));
    dataLayout->addWidget(lblEfficiencyClass, 3, 3);
    Command1 = MakeButton(QStringLiteral("Command1"), QStringLiteral("详细资料"), Frame3);
    Command1->setToolTip(QStringLiteral("显示并使用该型电机技术参数"));
    Command2 = MakeButton(QStringLiteral("Command2"), QStringLiteral("取 消"), Frame3);
    dataLayout->addWidget(Command1, 1, 4, 2, 1);
    dataLayout->addWidget(Command2, 4, 4, 2, 1);
    dataLayout->setColumnStretch(3, 1);
    auto* note =
        new QLabel(QStringLiteral("如需输入自定义数据，请把技术数据编码设置为 0 。 "), Frame3);
    dataLayout->addWidget(note, 7, 0, 1, 5);
    right->addWidget(Frame3);

    Frame4 = MakeFrame(QStringLiteral("Frame4"), QStringLiteral("技术数据编码"), QString(), this);
    auto* codeLayout = new QGridLayout(Frame4);
    Text1 = new QLineEdit(QStringLiteral("0"), Frame4);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFixedWidth(TwipsToPixels(1500, this));
    codeLayout->addWidget(Text1, 0, 0);
    codeLayout->addWidget(new QLabel(QStringLiteral("输入编码 (1 - 6935) "), Frame4), 0, 1);
    Command4 = MakeButton(QStringLiteral("Command4"), QStringLiteral("确　定"), Frame4);
    codeLayout->addWidget(Command4, 0, 2);
    codeLayout->addWidget(new QLabel(QStringLiteral("请参阅《三相异步电动机_技术数据》"), Frame4),
                          1, 0, 1, 3);
    // What the last confirmation took; empty while the data are not confirmed.
    lblConfirmed = new QLabel(Frame4);
    lblConfirmed->setObjectName(QStringLiteral("lblConfirmed"));
    codeLayout->addWidget(lblConfirmed, 2, 0, 1, 3);
    codeLayout->setColumnStretch(1, 1);
    right->addWidget(Frame4);

    Command3 = MakeButton(QStringLiteral("Command3"), QStringLiteral("关　闭　窗　口"), this);
    right->addStretch(1);
    right->addWidget(Command3);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(page);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    setFixedWidth(TwipsToPixels(13500, this));
}

void MotorParameterDialog::fitHeight() {
    // Measured in the style the dialog is shown in and with the texts that come later (a
    // category's name over the models, what was confirmed): the page never grows out of the
    // window when they appear.
    QWidget* page = findChild<QScrollArea*>(QStringLiteral("scrollArea"))->widget();
    const QString title = Frame2->title(), confirmed = lblConfirmed->text();
    Frame2->setTitle(QStringLiteral("Y系列(IP44) 380V B3"));
    lblConfirmed->setText(QStringLiteral("已确认：Y132M-4 B3，7.5 kW"));
    ensurePolished();
    page->layout()->activate();
    setFixedHeight(std::max(page->sizeHint().height(), page->minimumSizeHint().height()));
    Frame2->setTitle(title);
    lblConfirmed->setText(confirmed);
}

void MotorParameterDialog::connectWidgets() {
    connect(List1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { List1_Click(List1->row(item)); });
    connect(List2, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { List2_Click(List2->row(item)); });
    connect(List2, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { List2_DblClick(List2->row(item)); });
    connect(Text1, &QLineEdit::textChanged, this, &MotorParameterDialog::Text1_Change);
    // Enter in the code box looks the code up, as "确　定" does.
    connect(Text1, &QLineEdit::returnPressed, this, &MotorParameterDialog::Command4_Click);
    connect(txtSearch, &QLineEdit::textChanged, this, &MotorParameterDialog::txtSearch_Change);
    for (QLineEdit* box : Text2)
        connect(box, &QLineEdit::textChanged, this, &MotorParameterDialog::updateEfficiencyClass);
    connect(Command1, &QPushButton::clicked, this, &MotorParameterDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &MotorParameterDialog::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &MotorParameterDialog::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &MotorParameterDialog::Command4_Click);
}

void MotorParameterDialog::showEvent(QShowEvent* event) {
    // Each opening starts afresh; a window coming back from the task bar does not.
    if (!event->spontaneous())
        Form_Load();
    QWidget::showEvent(event);
}

void MotorParameterDialog::Form_Load() {
    state_.model.Motor.MotorParametersValid = false;
    lblConfirmed->clear();
    CategoryTable table = LoadCategories(state_.dataDirectory);
    categories_ = std::move(table.categories);
    List1->clear();
    for (const MotorCategory& c : categories_)
        List1->addItem(c.name);
    {
        const QSignalBlocker blocker(txtSearch);
        txtSearch->clear();
    }
    clearModels();
    showBoxes(PlainMotorTexts(state_.model.Motor));
    Text1->setText(QStringLiteral("0"));
    reportProblems(table.problems);
}

void MotorParameterDialog::List1_Click(int index) {
    if (index < 0 || index >= int(categories_.size()))
        return;
    const MotorCategory& category = categories_[std::size_t(index)];
    {
        const QSignalBlocker blocker(txtSearch);
        txtSearch->clear();
    }
    clearModels();
    Frame2->setTitle(category.name);
    state_.model.Motor.MotorParametersValid = false;
    lblConfirmed->clear();
    const ModelList models = LoadModels(state_.dataDirectory, category);
    showModels(models, category.name);
    reportProblems(models.problems);
}

void MotorParameterDialog::List2_Click(int index) {
    if (index < 0 || index >= int(modelCodes_.size()))
        return;
    for (QLineEdit* box : Text2)
        box->setText(QStringLiteral("0"));
    Text1->setText(QString::number(modelCodes_[std::size_t(index)]));
}

void MotorParameterDialog::List2_DblClick(int index) {
    if (index < 0 || index >= int(modelCodes_.size()))
        return;
    Text1->setText(QString::number(modelCodes_[std::size_t(index)]));
    Command1_Click();
}

void MotorParameterDialog::Text1_Change() {
    if (IsCustomCodeText(Text1->text()))
        clearModels();
}

void MotorParameterDialog::Command1_Click() {
    confirm();
}

void MotorParameterDialog::Command4_Click() {
    confirm();
}

void MotorParameterDialog::Command2_Click() {
    ClearMotorData(state_.model.Motor);
    // Closing and reopening the window shows the same fresh state.
    Form_Load();
}

void MotorParameterDialog::Command3_Click() {
    close();
}

void MotorParameterDialog::txtSearch_Change() {
    const QString text = txtSearch->text().trimmed();
    clearModels();
    if (text.isEmpty())
        return;
    const ModelList found = SearchModels(state_.dataDirectory, text);
    List1->clearSelection();
    showModels(found, QStringLiteral("查找“%1”：%2 个型号").arg(text).arg(found.codes.size()));
    reportProblems(found.problems);
}

void MotorParameterDialog::confirm() {
    const MotorConfirmation result =
        ConfirmMotorData(state_.model.Motor, state_.dataDirectory, Text1->text(), boxTexts());
    switch (result.outcome) {
    case MotorConfirmation::Outcome::CodeOutOfRange:
        services_.messages.message(this, kErrorTitle, result.message);
        Command2_Click();
        return;
    case MotorConfirmation::Outcome::CatalogueFailed:
        lblConfirmed->clear();
        services_.messages.message(this, kErrorTitle, result.message);
        return;
    case MotorConfirmation::Outcome::Incomplete:
        if (result.boxTexts)
            showBoxes(*result.boxTexts);
        lblConfirmed->clear();
        // The boxes keep what was typed, so that the user can mend it.
        services_.messages.message(this, kErrorTitle, result.message);
        return;
    case MotorConfirmation::Outcome::Accepted:
        if (result.boxTexts)
            showBoxes(*result.boxTexts);
        lblConfirmed->setText(result.confirmed);
        return;
    }
}

void MotorParameterDialog::showModels(const ModelList& models, const QString& caption) {
    Frame2->setTitle(caption);
    modelCodes_ = models.codes;
    List2->addItems(models.texts);
}

void MotorParameterDialog::clearModels() {
    List2->clear();
    modelCodes_.clear();
    Frame2->setTitle(QString());
}

void MotorParameterDialog::showBoxes(const std::array<QString, 7>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        Text2[i]->setText(texts[i]);
}

std::array<QString, 7> MotorParameterDialog::boxTexts() const {
    std::array<QString, 7> texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = Text2[i]->text();
    return texts;
}

void MotorParameterDialog::updateEfficiencyClass() {
    const float poles = ParseMotorValue(Text2[0]->text());
    const float kw = ParseMotorValue(Text2[1]->text());
    const float volts = ParseMotorValue(Text2[6]->text());
    const EfficiencyClass cls =
        ClassifyEfficiency(poles, kw, ParseMotorValue(Text2[3]->text()), volts);
    lblEfficiencyClass->setText(EfficiencyClassText(cls));
    lblEfficiencyClass->setToolTip(cls == EfficiencyClass::NotApplicable
                                       ? EfficiencyClassScopeReason(poles, kw, volts)
                                       : kEfficiencyClassToolTip);
}

void MotorParameterDialog::reportProblems(const QStringList& problems) {
    if (!problems.isEmpty())
        services_.messages.message(this, kErrorTitle, problems.join(QLatin1Char('\n')));
}

} // namespace zr5
