#include "message/message_store.h"

#include <utility>

#include "message/literals.h"
#include "text/byte_operations.h"
#include "text/files.h"
#include "text/run_directory.h"
#include "text/text_operations.h"

namespace board {

MessageStore::MessageStore() : directory_(RunDirectory()) {}

MessageStore::MessageStore(Text directory) : directory_(std::move(directory)) {}

// No separator is put between the two: installations already keep their
// message under exactly this name, beside the program's directory.
Text MessageStore::StorePath() const {
  return ConcatTexts({directory_, literals::kStoreFileName});
}

bool MessageStore::PublishMessage(const ByteSeq& content) {
  return WriteWholeFile(StorePath(), {content});
}

// The file is emptied, not deleted: an empty file and a missing one both mean
// that there is no message.
bool MessageStore::ClearMessage() {
  return WriteWholeFile(StorePath(), {TextToBytes(Text())});
}

ByteSeq MessageStore::ReadMessage() const { return ReadWholeFile(StorePath()); }

}  // namespace board
