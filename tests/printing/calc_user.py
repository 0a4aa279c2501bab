"""Does what a user does to the Calc listening on the pipe given as the
second argument: "close" closes every document it holds, "quit" quits it."""

import os
import sys

import uno


def main(action, pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
    desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
    # Quitting closes the sheets first, without the question whether to
    # save them, which nobody would answer here.
    components = desktop.getComponents().createEnumeration()
    while components.hasMoreElements():
        components.nextElement().close(True)
    if action == "quit":
        try:
            desktop.terminate()
        except Exception:
            pass  # the bridge goes with Calc
    return 0


if __name__ == "__main__":
    result = main(sys.argv[1], sys.argv[2])
    sys.stdout.flush()
    sys.stderr.flush()
    # Out at once: the interpreter's teardown of the bridge to a Calc that
    # is busy closing or going can crash the client, which is no user's doing.
    os._exit(result)
