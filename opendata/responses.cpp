#include "opendata/responses.h"

ResponseTexts responseText;
