#pragma once

#include <cstdint>
#include <string>

// When a query subscription fires.
enum QVRCKSubscriptionOptions : std::uint64_t {
  QVRCKSubscriptionOptionsFiresOnRecordCreation = 1,
  QVRCKSubscriptionOptionsFiresOnRecordUpdate = 2,
  QVRCKSubscriptionOptionsFiresOnRecordDeletion = 4,
};

// A query subscription: the server announces changes of records of `recordType` that match
// `predicate` (the platform's predicate text; "TRUEPREDICATE" matches every record) as pushes
// to the program. The notification info that says how a push is shown is always empty here, so
// it is not kept. A value.
class QVRCKSubscription {
 public:
  QVRCKSubscription(std::string recordType, std::string predicate, std::string subscriptionID,
                    std::uint64_t subscriptionOptions)
      : _recordType(std::move(recordType)),
        _predicate(std::move(predicate)),
        _subscriptionID(std::move(subscriptionID)),
        _subscriptionOptions(subscriptionOptions) {}

  const std::string& recordType() const { return _recordType; }
  const std::string& predicate() const { return _predicate; }
  const std::string& subscriptionID() const { return _subscriptionID; }
  std::uint64_t subscriptionOptions() const { return _subscriptionOptions; }

  // "<CKQuerySubscription subscriptionID=… recordType=… predicate=… options=3>", for log lines.
  std::string description() const {
    return "<CKQuerySubscription subscriptionID=" + _subscriptionID + " recordType=" + _recordType +
           " predicate=" + _predicate + " options=" + std::to_string(_subscriptionOptions) + ">";
  }

  friend bool operator==(const QVRCKSubscription&, const QVRCKSubscription&) = default;

 private:
  std::string _recordType;
  std::string _predicate;
  std::string _subscriptionID;
  std::uint64_t _subscriptionOptions;
};
