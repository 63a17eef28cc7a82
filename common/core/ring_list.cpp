// RingListClass linking.
#include "common/core/ring_list.h"

namespace bw {

RingListClass* RingListClass::InsertAfter(RingListClass* node) {
  if (next_) {
    node->next_ = next_;
    node->previous_ = this;
    next_->previous_ = node;
    next_ = node;
  } else {
    next_ = previous_ = node;
    node->next_ = node->previous_ = this;
  }
  return node;
}

RingListClass* RingListClass::InsertBefore(RingListClass* node) {
  if (previous_) {
    node->previous_ = previous_;
    node->next_ = this;
    previous_->next_ = node;
    previous_ = node;
  } else {
    next_ = previous_ = node;
    node->next_ = node->previous_ = this;
  }
  return node;
}

RingListClass* RingListClass::Unlink() {
  if (!next_ || !previous_) return nullptr;
  RingListClass* former = previous_;
  if (next_ == previous_) {
    next_->next_ = next_->previous_ = nullptr;
  } else {
    previous_->next_ = next_;
    next_->previous_ = previous_;
  }
  next_ = previous_ = nullptr;
  return former;
}

}  // namespace bw
