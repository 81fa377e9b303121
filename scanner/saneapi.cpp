#include "scanner/saneapi.h"

SaneApi::~SaneApi() = default;
