// Pictures of the motor parameter dialog for review: a category and a model chosen, and a search.
//
//   QT_QPA_PLATFORM=offscreen zr5_motor_screenshots OUTDIR

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdio>

#include "model/appstate.h"
#include "motor/motorparameterdialog.h"
#include "motor/samplecatalogue.h"

namespace {

class SilentMessages final : public zr5::MessageService {
public:
    void message(QWidget*, const QString& title, const QString& text) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool question(QWidget*, const QString&, const QString&) override { return false; }
};

bool Save(QWidget& window, const QDir& out, const char* name) {
    const QString path = out.filePath(QString::fromLatin1(name));
    QCoreApplication::processEvents(); // the layouts settle as they would on the screen
    if (window.grab().save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

int FindRow(QListWidget* list, const QString& text) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().contains(text))
            return i;
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zr5_motor_screenshots OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    QTemporaryDir temp;
    zr5::AppState state{zr5::DataDirectory(temp.path())};
    if (const zr5::Status installed = zr5::InstallSampleCatalogue(state.dataDirectory);
        !installed) {
        std::fprintf(stderr, "%s\n", qPrintable(installed.error()));
        return 1;
    }
    SilentMessages messages;
    zr5::QtFileDialogService files;
    zr5::SystemClock clock;
    zr5::UiServices services{messages, files, clock};

    zr5::MotorParameterDialog dialog(state, services);
    dialog.show();
    auto* list1 = dialog.findChild<QListWidget*>(QStringLiteral("List1"));
    auto* list2 = dialog.findChild<QListWidget*>(QStringLiteral("List2"));
    bool ok = Save(dialog, out, "motor-dialog-open.png");

    list1->setCurrentRow(0);
    dialog.List1_Click(0);
    const int row = FindRow(list2, QStringLiteral("Y132M-4 B3"));
    list2->setCurrentRow(row);
    dialog.List2_DblClick(row);
    ok = Save(dialog, out, "motor-dialog-model.png") && ok;

    dialog.findChild<QLineEdit*>(QStringLiteral("txtSearch"))->setText(QStringLiteral("Y132M"));
    list2->setCurrentRow(1);
    dialog.List2_DblClick(1);
    ok = Save(dialog, out, "motor-dialog-search.png") && ok;
    return ok ? 0 : 1;
}
