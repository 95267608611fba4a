#pragma once
#include "link/states/CommandAnswerState.h"

// Sends a command and takes an answer if one comes; no answer is not a failure.
template <class SM>
class CCommandOptionalResponseState : public CCommandAnswerState<SM> {
public:
    using CCommandAnswerState<SM>::CCommandAnswerState;
    void OnTimeout() override { this->GoToNext(); }
};
