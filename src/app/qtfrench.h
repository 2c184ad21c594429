#pragma once

class QCoreApplication;

// Qt's own words (the buttons of its dialogs, the command line's help) in French, whatever the
// system's language: the program speaks nothing else. False when Qt's French catalogue is not
// installed; the program then still runs, with those words in English.
bool installQtFrench(QCoreApplication& app);
