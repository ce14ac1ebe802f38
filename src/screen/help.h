// Help pages: F1 opens the page of a topic. Started from Windows the page is
// HTML, opened by the suite's HTMRUN through the command shell; otherwise
// AJUDA\<topic>.HLP, one screen line per record, is shown in a viewer.
#pragma once

#include <string>

namespace screen {

// The topic is a name without directory or extension. Only plain names
// (letters, digits, "_" and "-") are ever put on a command line.
void show_help(const std::string& topic);

}  // namespace screen
