"""The process-wide hooks: what they are given, exceptions they raise, replacement while in use, threads."""

import concurrent.futures
import os
import pathlib
import tempfile
import threading

import vemosupport as vs

from test_lookup import DEVICE_CODE, PROGRAM_ID, CatalogueTestCase, write_file


class HostError(Exception):
    pass


def raise_host_error(*args):
    raise HostError(*args)


def standard_error_of(call, *args):
    """What the library writes to file descriptor 2 during call(*args)."""
    with tempfile.TemporaryFile() as captured:
        saved = os.dup(2)
        os.dup2(captured.fileno(), 2)
        try:
            call(*args)
        finally:
            os.dup2(saved, 2)
            os.close(saved)
        captured.seek(0)
        return captured.read()


class HookTest(CatalogueTestCase):
    def test_config_path_service_and_default_folder(self):
        vs.set_config_path_service(lambda selector: {1: self.folder}[selector])  # asked with selector 1
        self.assertEqual(vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing).ProgramID, PROGRAM_ID)
        vs.set_config_path_service(lambda selector: pathlib.Path(self.missing))
        vs.set_default_catalog_folder(pathlib.Path(self.folder))  # the last resort
        self.assertEqual(vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing).ProgramID, PROGRAM_ID)
        vs.set_config_path_service(lambda selector: os.fsencode(self.folder))
        vs.set_default_catalog_folder(None)
        self.assertEqual(vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing).ProgramID, PROGRAM_ID)

    def test_an_exception_in_a_hook_reaches_the_caller_as_itself_and_the_next_call_is_whole(self):
        broken = write_file(self.folder, "a-broken.xml", "<C5Devices><C5Device ProgramID=")
        vs.set_message_box(raise_host_error)  # given the box's text, title and style
        with self.assertRaises(HostError) as caught:
            vs.CreateProgIDInfo(DEVICE_CODE, self.folder)
        text, *title_and_style = caught.exception.args
        self.assertEqual((broken in text, title_and_style), (True, ["XML Parsing Error", 48]))
        vs.set_message_box(lambda *box: self.boxes.append(box))
        self.assertEqual(vs.CreateProgIDInfo(DEVICE_CODE, self.folder).ProgramID, PROGRAM_ID)

        vs.set_config_path_service(lambda selector: {}[f"no folder for {selector}"])  # a missing key: KeyError
        with self.assertRaisesRegex(KeyError, "no folder for 1"):
            vs.cFactory().CreateProgIDInfo(PROGRAM_ID, self.missing)

    def test_a_box_may_replace_or_remove_itself_while_it_runs(self):
        for name in ("a-broken.xml", "b-broken.xml", "c-broken.xml"):
            write_file(self.folder, name, "<C5Devices><C5Device ProgramID=")
        shown = []

        def second(text, title, style):
            vs.set_message_box(None)  # the third box goes to standard error
            shown.append(("second", text))

        def first(text, title, style):
            vs.set_message_box(second)
            shown.append(("first", text))

        vs.set_message_box(first)
        written = standard_error_of(vs.CreateProgIDInfo, DEVICE_CODE, self.folder)
        self.assertIn(b"c-broken.xml", written)
        self.assertNotIn(b"b-broken.xml", written)
        self.assertEqual([(who, "a-broken" in text, "b-broken" in text) for who, text in shown],
                         [("first", True, False), ("second", False, True)])

    def test_hooks_serve_lookups_on_many_threads_while_being_replaced(self):
        write_file(self.folder, "a-broken.xml", "<C5Devices><C5Device ProgramID=")
        shown = []
        boxes = [lambda *box: shown.append(1), lambda *box: shown.append(2)]
        lookups = 40

        def lookup(_):
            return vs.cFactory().CreateProgIDInfo(DEVICE_CODE, self.folder).ProgramID

        vs.set_message_box(boxes[1])
        with concurrent.futures.ThreadPoolExecutor(max_workers=4) as workers:
            answers = workers.map(lookup, range(lookups))
            for turn in range(200):
                vs.set_message_box(boxes[turn % 2])
            self.assertEqual(set(answers), {PROGRAM_ID})
        self.assertEqual(len(shown), lookups)  # one box per lookup, whichever hook was current

    def test_a_lookup_lets_other_threads_run_while_it_reads(self):
        write_file(self.folder, "a-broken.xml", "<C5Devices><C5Device ProgramID=")  # read first
        devices = "".join(f'<C5Device ProgramID="P{n:016d}"><DevInfo><DeviceCode>Z{n:03d}</DeviceCode></DevInfo>'
                          "</C5Device>" for n in range(1000))
        for n in range(40):
            write_file(self.folder, f"b{n:02d}.xml", f"<C5Devices>{devices}</C5Devices>")
        late = write_file(self.folder, "z-late.xml", "<C5Devices/>")  # read last
        started = threading.Event()
        vs.set_message_box(lambda *box: started.set())
        with concurrent.futures.ThreadPoolExecutor(max_workers=1) as worker:
            lookup = worker.submit(vs.CreateProgIDInfo, "QQQQ", self.folder)
            self.assertTrue(started.wait(10))
            # This thread runs, and rewrites the file read last, only if the lookup released the GIL.
            replacement = write_file(self.folder, "z-late.new", f'<C5Devices><C5Device ProgramID="P{PROGRAM_ID}">'
                                     "<DevInfo><DeviceCode>QQQQ</DeviceCode></DevInfo></C5Device></C5Devices>")
            os.replace(replacement, late)
            self.assertEqual(lookup.result(10).XMLFilename, late)
