#ifndef QCODE_QUIZ_PLAY_H_
#define QCODE_QUIZ_PLAY_H_

#include <functional>
#include <iosfwd>

#include "quiz.h"

// Plays `session` on a console's streams: shows each question, reads one
// word at a time and hands it to the session, until the session ends, the
// input ends or fails, `out` fails, or `interrupted` returns true; then
// shows the results, if the session has not. A word read once `interrupted`
// holds is not judged.
void play(
    quiz_session& session, std::istream& in, std::ostream& out,
    const std::function<bool()>& interrupted = [] { return false; });

#endif  // QCODE_QUIZ_PLAY_H_
