# The tests whose code crosses threads: test.sh runs them once more in a
# ThreadSanitizer build (label "threads", built by the target thread_tests).
# A new test of code that other threads call into (pairing, firmware progress,
# macro transfer, reports to a page) joins by adding its unit name here.
set(DESKLINK_THREAD_TESTS
    # The device link: device thread, report callback, writers, cache, discovery.
    worker reporthandler devicewriters devicelinkstress devicechangerelay devicediscovery devicecache
    # The simulated device library and its command-line tool.
    hidsimthreads hidsimdevices hidsimpersist hidsimimage hidsimctl
    # Report and status floods, transfers cut short.
    reportflood sensorflood interruptedtransfers
    # The bus and the shared stores.
    postmsg globals settingsstores registry writequeue updaterecords
    # Pages that receive blocking signals from the device thread or the report callback.
    sensorpage sensorframes dialog dialogchangeopen formsetting match updaterepair receiversettings buttonpage
    # Macros between the button page, the editor and the device thread.
    buttonmacros
    # The firmware update run: progress from the library's thread.
    firmwareupdate)
