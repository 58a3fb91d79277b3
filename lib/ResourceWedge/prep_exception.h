#pragma once
// prep_exception: raised inside a template translation when the input can't be read or the
// translation can't run. The translators catch it themselves and answer failure, so its
// text is never shown; it carries no where text and no source place.
#include "support/ContextException.h"

struct prep_exception : ContextException {
    explicit prep_exception(const char* context)
        : ContextException(nullptr, context, "", 0, "prep_exception") {}
};
