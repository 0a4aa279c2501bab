#pragma once
// Components: objects with an owner that frees them, a name, a tag, and
// notification when a component they point at goes away. Also the small set
// type the class library's option sets are made of.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"

// The root of everything an event names as its Sender.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Calls an event when it is assigned. The handler runs from a copy, so a
// handler that unassigns or replaces its own event (legal in the class
// library) does not pull itself from under its feet.
template <typename Event, typename... Args>
void FireEvent(const Event& event, Args&&... args) {
  if (!event) return;
  Event running = event;
  running(std::forward<Args>(args)...);
}

// A set of enumeration members (at most 64), as the class library's
// "set of" types: Contains, include with <<, exclude with >>.
template <typename E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> members) {
    for (E e : members) bits_ |= Bit(e);
  }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr TSet& operator<<(E e) {
    bits_ |= Bit(e);
    return *this;
  }
  constexpr TSet& operator>>(E e) {
    bits_ &= ~Bit(e);
    return *this;
  }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr bool operator==(const TSet&) const = default;
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint64_t Bits() const { return bits_; }
  static constexpr TSet FromBits(std::uint64_t b) {
    TSet s;
    s.bits_ = b;
    return s;
  }

 private:
  static constexpr std::uint64_t Bit(E e) { return std::uint64_t{1} << static_cast<unsigned>(e); }
  std::uint64_t bits_ = 0;
};

enum TShiftStateMember { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateMember>;

enum TOperation { opInsert, opRemove };
enum TComponentStateMember { csLoading, csReading, csWriting, csDestroying, csDesigning, csFreeNotification };
using TComponentState = TSet<TComponentStateMember>;

DIM_EXCEPTION(EComponentError, Exception)

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* AOwner);
  // Frees the owned components, last first, after telling everyone who asked
  // for a free notification.
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  // Position in the owner's list, -1 without owner.
  int ComponentIndex() const;
  // An owned component by name, case-insensitively; nullptr when none.
  TComponent* FindComponent(const AnsiString& name) const;

  const AnsiString& Name() const { return name_; }
  // Raises EComponentError when the owner already has a component of that
  // name or the name is not an identifier.
  void SetName(const AnsiString& name);
  int Tag = 0;
  TComponentState ComponentState() const { return state_; }

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Frees every owned component now.
  void DestroyComponents();
  // AComponent will hear (Notification opRemove) when this one is freed, and
  // the other way round.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Runs after the form description was read; descendants finish their set-up.
  virtual void Loaded();

 protected:
  // AComponent is inserted into or removed from this component's owner tree,
  // or a component this one watches is going. The default passes the news to
  // every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  void SetDesigning(bool designing);
  void SetLoading(bool loading);
  // Marks the component as being destroyed; descendants call it first in
  // their destructors so that handlers can see it.
  void Destroying();

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* owner_ = nullptr;
  AnsiString name_;
  TComponentState state_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};

// True when S is a valid component name: a letter or underscore followed by
// letters, digits and underscores (ASCII).
bool IsValidIdent(const AnsiString& s);
