#pragma once

class QApplication;

namespace velmora {

// Loads Qt's own Japanese texts (qtbase_ja.qm from the system's translations
// folder) into the application, so that the colour, font, file and message
// dialogs speak Japanese. False when the file is missing (the dialogs then
// stay in English; nothing else changes).
bool installJapaneseTranslations(QApplication& app);

} // namespace velmora
