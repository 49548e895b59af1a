// One receiver of an item signal: an object together with one of its member functions.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <type_traits>

template <typename Signature>
class MemberSlot;

// A slot calling a member function with the arguments `Args` and returning `R`. The member
// function may take parameters that the arguments convert to (an int signal may reach a
// member taking bool). A default slot is empty; invoking an empty slot does nothing and
// returns R{}. Slots are ordered by object address, then by the bytes of the member pointer,
// so that a signal holds each (object, member) pair once.
template <typename R, typename... Args>
class MemberSlot<R(Args...)> {
  public:
    MemberSlot() = default;

    // The slot of `object` and `member`, a (possibly const) member function of C.
    template <typename C, typename Member>
    MemberSlot(C* object, Member member) : myObject(object) {
        static_assert(std::is_member_function_pointer<Member>::value,
                      "a slot holds a member function");
        static_assert(sizeof(Member) <= kMemberBytes, "member pointer larger than expected");
        std::memcpy(myMember, &member, sizeof(Member));
        myInvoke = &invokeMember<C, Member>;
    }

    // Calls the member function on the object; an empty slot does nothing.
    R operator()(Args... args) const {
        if (myInvoke == nullptr || myObject == nullptr) {
            return R();
        }
        return myInvoke(*this, args...);
    }

    bool empty() const { return myInvoke == nullptr || myObject == nullptr; }

    friend bool operator==(const MemberSlot& a, const MemberSlot& b) {
        return a.myObject == b.myObject && std::memcmp(a.myMember, b.myMember, kMemberBytes) == 0;
    }
    friend bool operator!=(const MemberSlot& a, const MemberSlot& b) { return !(a == b); }
    friend bool operator<(const MemberSlot& a, const MemberSlot& b) {
        const auto left = reinterpret_cast<uintptr_t>(a.myObject);
        const auto right = reinterpret_cast<uintptr_t>(b.myObject);
        if (left != right) {
            return left < right;
        }
        return std::memcmp(a.myMember, b.myMember, kMemberBytes) < 0;
    }

  private:
    struct Probe {};
    static constexpr std::size_t kMemberBytes = sizeof(void(Probe::*)());

    template <typename C, typename Member>
    static R invokeMember(const MemberSlot& slot, Args... args) {
        Member member;
        std::memcpy(&member, slot.myMember, sizeof(Member));
        C* object = static_cast<C*>(slot.myObject);
        if constexpr (std::is_void<R>::value) {
            std::invoke(member, object, args...);
        } else {
            return static_cast<R>(std::invoke(member, object, args...));
        }
    }

    void* myObject = nullptr;
    unsigned char myMember[kMemberBytes] = {};
    R (*myInvoke)(const MemberSlot&, Args...) = nullptr;
};

// The slot of `object` and `member`, called with the member's own parameters; the member's
// result is ignored.
template <typename C, typename MemberR, typename... Params>
MemberSlot<void(Params...)> makeMemberSlot(C* object, MemberR (C::*member)(Params...)) {
    return MemberSlot<void(Params...)>(object, member);
}
