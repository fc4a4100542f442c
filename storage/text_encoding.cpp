#include "storage/text_encoding.h"
