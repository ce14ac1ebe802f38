#include "records/messages.h"

#include <string_view>

#include "platform/cp850.h"
#include "startup/language.h"

namespace records {

using platform::operator""_cp850;

using startup::in_session_language;

std::string open_failure_text() {
    static constexpr auto cat = "NO ES POT ACCEDIR AL FITXER "_cp850;
    static constexpr auto spa = "NO SE PUEDE ACCEDER AL FICHERO "_cp850;
    static constexpr auto glg = "NOM SE PODE ACEDER AO FICHEIRO "_cp850;
    static constexpr auto oci = "NON SE PÒT ACCEDIR ATH FICHÈR "_cp850;
    return in_session_language(cat, spa, glg, oci);
}

std::string lock_wait_text() {
    static constexpr auto cat = "FITXER BLOQUEJAT. ESPEREU UN MOMENT."_cp850;
    static constexpr auto spa = "FICHERO BLOQUEADO. ESPERE UN MOMENTO."_cp850;
    static constexpr auto glg = "FICHEIRO BLOQUEADO. ESPERE UM MOMENTO."_cp850;
    static constexpr auto oci = "FICHÈR BLOQUEJAT. ESPERATZ UN MOMENT."_cp850;
    return in_session_language(cat, spa, glg, oci);
}

}  // namespace records
