// ThreadSanitizer settings for every test executable of a -DDESKLINK_TSAN=ON build.
//
// Qt here is not built with the sanitizer, so it cannot see the synchronisation
// inside the Qt libraries. Calls into them are not tracked, and only the hand-overs
// that Qt performs on our behalf are excused:
// - a blocking queued connection passes the emitter's arguments to the receiving
//   slot (and back) through a semaphore inside Qt; the read is the top frame, in
//   the moc-generated dispatcher of the receiver. Only that frame is excused
//   (race_top): every slot, test function and report handler is itself reached
//   through some qt_static_metacall, so excusing it anywhere in the stack would
//   hide every race of the program;
// - a functor queued to another thread (invokeMethod or a queued connection to a
//   lambda) is copied into Qt's slot object by the posting thread and handed over
//   through Qt's event queue; the copy into the new slot object is the top frame.
//   Only that construction is excused, not what the functor reads or writes;
// - QtTest's watchdog thread wakes and then destroys a QWaitCondition.
// Every report about our own code still counts; the device link annotates its locks.
//
// An excuse above needs the earlier access's stack, which the sanitizer rebuilds
// from each thread's access history. With the default history a busy run of a
// long test had overwritten the main thread's read of a blocking hand-over
// before the emitter's stack slot was written again; the report then came
// without that frame and nothing could excuse it. The largest history keeps it.
extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1:history_size=7";
}

extern "C" const char* __tsan_default_suppressions()
{
    return "race_top:qt_static_metacall\n"
           "race_top:QFunctorSlotObject\n"
           "race:QWaitCondition::~QWaitCondition\n"
           "called_from_lib:libQt5Test.so.5\n";
}
