#include "message/message_store.h"
