#include "catalogue/qt/tarnwick_app.h"

#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <string>

#include "catalogue/catalogue_settings.h"
#include "catalogue/qt/about_box.h"
#include "catalogue/qt/form_tips.h"
#include "catalogue/qt/main_form.h"
#include "catalogue/qt/single_instance.h"
#include "files/system_folders.h"
#include "interpreter/locale/locale.h"
#include "port/desktop.h"
#include "port/hotkeys.h"
#include "port/shell_registration.h"
#include "runtime/prompt_window_logic.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

constexpr std::chrono::seconds kInstancePatience{30};

const char* const kUsage =
    "Usage: tarnwick [SCHEDULE | SCRIPT]\n"
    "       tarnwick --help | --version\n"
    "\n"
    "The catalogue of scripts, one per user and display: a second tarnwick brings the first one's window to\n"
    "the front and ends. SCHEDULE starts with the schedule running; SCRIPT runs one script and ends.\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarnwick: %s\n", message.c_str());
  return 2;
}

// Makes sure script files open in the brindle beside this program, unless the registration is intact.
void RegisterScriptFiles() {
  const std::string brindle = ProgramFolder() + "brindle";
  if (::access(brindle.c_str(), X_OK) != 0) return;
  const std::unique_ptr<port::ShellRegistration> shell = port::openShellRegistration();
  if (shell->isRegistered()) return;
  QFile icon(":/catalogue/tarnwick-script-48.png");
  icon.open(QIODevice::ReadOnly);
  const QByteArray png = icon.readAll();
  // A failure leaves scripts without an opener; the program works on.
  shell->registerScripts({brindle, png.toStdString()});
}

}  // namespace

int TarnwickMain(int argc, char** argv, const std::function<void(TMainForm&)>& prepare) {
  const std::string argument = argc > 1 ? argv[1] : "";
  if (argument == "--help" || argument == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argument == "--version") {
    std::printf("tarnwick %s\n",
                VersionText(TW_VERSION_MAJOR, TW_VERSION_MINOR, TW_VERSION_RELEASE, TW_VERSION_BUILD).c_str());
    return 0;
  }
  if (argc > 2) return Fail(std::string("one argument at most, not ") + std::to_string(argc - 1) + "\n" + kUsage);

  const std::unique_ptr<port::Desktop> desktop = port::openDesktop();
  // Tests may choose Qt's platform (offscreen); otherwise the windows go to the display the desktop drives.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    if (!desktop->hasDisplay()) return Fail("no display: " + desktop->displayProblem());
    qputenv("QT_QPA_PLATFORM", "xcb");
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("tarnwick");
  QApplication::setQuitOnLastWindowClosed(false);

  std::string problem;
  const std::string folder = InstanceFolder(problem);
  if (folder.empty()) return Fail("cannot tell whether tarnwick runs already: " + problem);
  SingleInstance instance(InstanceNamesIn(folder));
  const QStringList arguments = argument.empty() ? QStringList() : QStringList{QString::fromStdString(argument)};
  switch (instance.Claim(kInstancePatience)) {
    case SingleInstance::Role::First: break;
    case SingleInstance::Role::Second:
      if (!instance.Forward(arguments, kInstancePatience)) return Fail("the running tarnwick does not answer");
      if (argument.empty()) return 0;
      std::fprintf(stderr, "tarnwick: already running on this display; its window was brought to the front, \"%s\" was not acted on\n",
                   argument.c_str());
      return 1;
    case SingleInstance::Role::Unreachable:
      return Fail("another tarnwick holds " + InstanceNamesIn(folder).lockFile + " but does not answer");
  }
  const bool schedule = EqualsIgnoringAsciiCase(argument, "SCHEDULE");

  // Script headers write their dates month first, whatever the user's locale.
  Locale locale = currentLocale();
  locale.shortDateFormat = "mm/dd/yy";
  setCurrentLocale(locale);

  // The about box greets the user while the catalogue is read.
  auto splash = std::make_unique<TAboutBox>(TAboutBox::Use::Splash);
  splash->show();
  QApplication::processEvents();

  // Without hotkeys (no keyboard extension on the display) the catalogue works all the same.
  std::string hotkeysProblem;
  const std::unique_ptr<port::HotKeys> hotkeys = port::openHotKeys(hotkeysProblem);
  if (!hotkeys) std::fprintf(stderr, "tarnwick: no system-wide hotkeys: %s\n", hotkeysProblem.c_str());

  // The scripts' conversations are offered from the start, before the host that serves the bus while the
  // program is idle is made; without a bus tarnwick works all the same.
  desktop->conversations().join(argv[0]);

  const TarnwickFiles files = FilesOf(PlacesOf("tarnwick"));
  TMainForm form(files, *desktop, hotkeys.get());
  if (prepare) prepare(form);
  splash.reset();
  QObject::connect(&instance, &SingleInstance::requested, &form, [&form] { form.ShowAndActivate(); });
  if (!argument.empty() && !schedule) {
    // tarnwick SCRIPT runs the script and ends; a script that could not run leaves the program running.
    if (form.RunScriptFile(argument)) return 0;
  }
  RegisterScriptFiles();
  // Where there is no tray the window is the only way in.
  if (form.CurrentPreferences().loadEditor || !TFormPopup::Available()) form.ShowAndActivate();
  if (schedule) form.StartSchedule();
  ShowStartupTips(files.settingsFile, files.tipsFile, form.isVisible() ? &form : nullptr);
  return QApplication::exec();
}

}  // namespace tw
