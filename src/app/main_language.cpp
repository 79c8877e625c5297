// The language entry of the picture's menu: the program's language as the
// settings file keeps it (PARAMS/Language), taken at the next start.
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QStatusBar>

#include "app/view_main.h"
#include "viewer/image_box.h"

namespace quovil {

void TMainForm::CreateLanguageMenu() {
  QMenu* menu = Image->PopupMenu2->addMenu(QCoreApplication::translate("MainWindow", "Язык"));
  menu->menuAction()->setObjectName(QStringLiteral("LanguageMenu"));
  menu->menuAction()->setToolTip(QCoreApplication::translate("MainWindow", "Язык программы, со следующего запуска"));
  auto* group = new QActionGroup(menu);
  const std::pair<const char*, QString> choices[] = {
      {"", QCoreApplication::translate("MainWindow", "Как в системе")}, {"ru", QCoreApplication::translate("MainWindow", "Русский")}, {"en", QCoreApplication::translate("MainWindow", "Английский")}};
  for (const auto& [code, caption] : choices) {
    QAction* a = menu->addAction(caption);
    a->setCheckable(true);
    a->setData(QString::fromLatin1(code));
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, code = std::string(code)] {
      if (Settings.Language == code) return;
      Settings.Language = code;
      statusBar()->showMessage(QCoreApplication::translate("MainWindow", "Язык программы изменится при следующем запуске."), 8000);
    });
  }
  connect(menu, &QMenu::aboutToShow, menu, [this, group] {
    for (QAction* a : group->actions()) a->setChecked(a->data().toString().toStdString() == Settings.Language);
  });
}

}  // namespace quovil
