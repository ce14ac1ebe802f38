// Reading the program's form file into the form tables.
#pragma once

namespace forms {

// Fills the form tables from FORMS\<module name>.JPN under the installation
// root, translating labels, choice lists and browse headings into the
// session's language. A file that cannot be opened leaves the tables as
// they were. Damaged files load as far as they make sense; the tables never
// grow beyond what the file describes (see FormsState).
void load_form();

}  // namespace forms
