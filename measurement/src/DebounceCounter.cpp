#include "DebounceCounter.h"

bool DebounceCounter::update(bool sample) {
    if (sample == myState) {
        myCounter = 0;
    } else if (myCounter >= myCount) {
        myState = sample;
        myCounter = 0;
    } else {
        ++myCounter;
    }
    return myState;
}

void DebounceCounter::reset() {
    myCounter = 0;
    myState = myInitialState;
}
