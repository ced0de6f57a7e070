#include "wordengine/clsWDNone.h"

void clsWDNone::Execute() {
  services_.app.msgBox("WP 9", forms::vbOKOnly);
}
