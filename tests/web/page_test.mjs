// The web page in Debian's chromium, used as a person uses it, and its module against the
// native build: every row of the table of cases, and the batch box against orvanthe-link.
//   node page_test.mjs SITE CASES ORVANTHE_LINK SCREENSHOT
import {spawnSync} from 'node:child_process';
import {readFileSync} from 'node:fs';
import puppeteer from 'puppeteer-core';
import {launchChromium, serveSite} from '../../scripts/serve-site.mjs';

const [site, casesPath, link, screenshot] = process.argv.slice(2);
let passed = 0;
let failed = 0;
function check(ok, what) {
    ok ? ++passed : ++failed;
    if (!ok) {
        console.log(`FAILED: ${what}`);
    }
}

// The table: one case a line, cells split by tabs, with \t \r \n \0 \\ and \uXXXX escapes.
const escapes = {t: '\t', r: '\r', n: '\n', 0: '\0', '\\': '\\'};
const rows = readFileSync(casesPath, 'utf8').split('\n').flatMap((line, k) =>
    line === '' || line.startsWith('#') ? [] : [{line: k + 1, cells: line.split('\t').map((cell) =>
        cell.replace(/\\(u[0-9A-Fa-f]{4}|.)/g, (_, e) =>
            e.length > 1 ? String.fromCharCode(parseInt(e.slice(1), 16)) : escapes[e]))}]);
const links = rows.find(({cells}) => cells[0] === 'links' && /^http:\/\/[^\x00-\x7f]/.test(cells[1]));
const [address, ...linked] = links.cells.slice(1);

// The native tool: its output, messages and status for `input` with `args`.
function native(args, input) {
    const run = spawnSync(link, args, {input: Buffer.from(input, 'utf8')});
    return {output: run.stdout.toString(), errors: run.stderr.toString(), status: run.status};
}

const server = await serveSite(site, 0);
const origin = `http://127.0.0.1:${server.address().port}`;

const browser = await launchChromium(puppeteer);
try {
    const context = browser.defaultBrowserContext();
    await context.overridePermissions(origin, ['clipboard-read', 'clipboard-write',
        'clipboard-sanitized-write']);
    const page = await context.newPage();
    const requested = [];
    page.on('request', (request) => requested.push(request.url()));
    const open = async (hash = '') => {
        await page.goto('about:blank');
        await page.goto(`${origin}/${hash}`);
        await page.waitForFunction(() => performance.getEntriesByName('orvanthe-ready').length);
    };
    const value = (id) => page.$eval(`#${id}`, (element) => element.value);
    const fields = () => Promise.all([1, 2, 3, 4].map((k) => value(`Text${k}`)));
    const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
    await open();

    // Every row of the table through the page's own module, in the page.
    const differ = await page.evaluate(async (rows) => {
        const {default: createOrvanthe} = await import('./orvanthe.js');
        const core = await createOrvanthe();
        const units = (text) => Uint16Array.from(text, (_, k) => text.charCodeAt(k));
        const text = (array) => String.fromCharCode(...array);
        const forms = ['http', 'thunder', 'flashget', 'qqdl'];
        const pasted = (field, input) => {
            const page = new core.Page();
            page.run(2 * field, units(input));
            return [0, 1, 2, 3].map((k) => text(page.text(k)));
        };
        const wrong = [];
        const expect = (ok, line) => ok || wrong.push(line);
        const cli = [];
        for (const {line, cells: [kind, ...cells]} of rows) {
            if (kind === 'encode' || kind === 'decode') {
                const coded = (kind === 'encode' ? core.base64Encode : core.base64Decode)(units(cells[0]));
                expect(text(coded) === cells[1], line);
            } else if (kind === 'links') {
                cells.forEach((cell, field) =>
                    expect(pasted(field, cell).every((shown, k) => shown === cells[k]), line));
            } else if (forms.includes(kind)) {
                const field = forms.indexOf(kind);
                expect(core.fieldOfInput(units(cells[0])) === field, line);
                expect(pasted(field, cells[0]).every((shown, k) =>
                    k >= cells.length - 1 || shown === cells[k + 1]), line);
            } else if (kind === 'cli') {
                const result = core.runTool(cells.slice(3), new TextEncoder().encode(cells[1]), null);
                const decoder = new TextDecoder();
                cli.push({line, output: decoder.decode(result.output),
                    errors: decoder.decode(result.errors), status: result.status});
            }
        }
        return {wrong, cli};
    }, rows);
    check(differ.wrong.length === 0, `the module differs on lines ${differ.wrong}`);
    for (const result of differ.cli) {
        const {cells} = rows.find(({line}) => line === result.line);
        const {line, ...given} = result;
        check(same(given, native(cells.slice(4), cells[2])), `line ${line}: ${JSON.stringify(given)}`);
    }

    // Every field and button under its control's name, each field with its label.
    for (const id of [...Array(12)].map((_, k) => `Command${k + 1}`)) {
        check(await page.$(`#${id}`), `${id} on the page`);
    }
    check(await page.$$eval('input[type=text]', (edits) => edits.length === 4 &&
        edits.every((edit) => edit.labels.length === 1)), 'four labelled fields');

    // Typing, and each convert button.
    await page.type('#Text1', address);
    await page.click('#Command12');
    check(same((await fields()).slice(1), linked), 'http杀全场');
    for (const k of [1, 2, 3]) {
        await page.click('#Text1', {clickCount: 3});
        await page.keyboard.press('Backspace');
        await page.click(`#Command${8 + k}`);
        check(await value('Text1') === address, `Command${8 + k}`);
    }

    // Paste and copy through the clipboard, each link field.
    for (const k of [1, 2, 3]) {
        await open();
        await page.evaluate((text) => navigator.clipboard.writeText(text), linked[k - 1]);
        await page.click(`#Command${2 * k + 1}`);
        await page.waitForFunction((id) => document.getElementById(id).value, {}, 'Text1');
        check(same(await fields(), [address, ...linked]), `paste Command${2 * k + 1}`);
        await page.evaluate(() => navigator.clipboard.writeText(''));
        await page.click(`#Command${2 * k + 2}`);
        await page.waitForFunction((text) => navigator.clipboard.readText().then((t) => t === text),
            {timeout: 5000}, linked[k - 1]).catch(() => {});
        check(await page.evaluate(() => navigator.clipboard.readText()) === linked[k - 1],
            `copy Command${2 * k + 2}`);
    }

    // Opening with a link or an address after "#": its field and the others filled in.
    for (const text of links.cells.slice(1)) {
        await open(`#${text}`);
        check(same(await fields(), [address, ...linked]), `opened with #${text}`);
    }

    // The batch box, the tool's rows that convert standard input to one form, as typed in:
    // the results and messages of orvanthe-link on what the box holds.
    for (const {line, cells: [, , input, , ...args]} of rows.filter(({cells}) => cells[0] === 'cli')) {
        const to = args.length === 2 && args[0] === '--to' ? args[1]
            : args.length === 1 && args[0].startsWith('--to=') ? args[0].slice(5)
            : args.length === 0 ? 'all' : null;
        if (to === null || input === '') {
            continue;
        }
        await page.focus('#batch');
        await page.keyboard.down('Control');
        await page.keyboard.press('A');
        await page.keyboard.up('Control');
        await page.keyboard.press('Backspace');
        await page.select('#to', to);
        await page.focus('#batch');
        await page.keyboard.sendCharacter(input);
        await page.waitForSelector('#progress[hidden]');
        const shown = {output: await value('results'), errors: await value('messages')};
        const {status, ...expected} = native(['--to', to], await value('batch'));
        check(same(shown, expected), `batch box, line ${line}: ${JSON.stringify(shown)}`);
    }

    // The keyboard alone: into the first field, then on through the rows to http杀全场.
    await open();
    await page.keyboard.press('Tab');
    check(await page.evaluate(() => document.activeElement.id) === 'Text1', 'Tab reaches Text1');
    await page.keyboard.sendCharacter(address);
    for (let k = 0; k < 15; ++k) {
        await page.keyboard.press('Tab');
    }
    await page.keyboard.press('Enter');
    check(same((await fields()).slice(1), linked), 'Enter on the last button');

    // Nothing wider than the screen at 320 px, nor at 200 % zoom of 1280 px.
    for (const width of [320, 640]) {
        await page.setViewport({width, height: 800, deviceScaleFactor: 1280 / width});
        check(await page.evaluate(() => document.documentElement.scrollWidth) <= width,
            `fits ${width} px`);
    }
    await page.setViewport({width: 800, height: 820});
    await page.select('#to', 'all');
    await page.focus('#batch');
    await page.keyboard.sendCharacter(`${linked[0]}\nhttp://a.b/한국어.zip\n`);
    await page.waitForSelector('#progress[hidden]');
    await page.evaluate(() => navigator.serviceWorker.ready);
    await page.screenshot({path: screenshot});

    // A clipboard the browser will not read: a line says what to do, no field changes.
    await context.overridePermissions(origin, []);
    await page.click('#Command3');
    await page.waitForFunction(() => document.getElementById('status').textContent);
    check(same((await fields()).slice(1), linked), 'a denied paste changes nothing');

    // Offline, after the server has stopped: the page still opens and converts.
    check(requested.every((url) => url.startsWith(origin) || url === 'about:blank'),
        'only the site itself is fetched');
    await new Promise((resolve) => server.close(resolve));
    server.closeAllConnections();
    await open(`#${address}`);
    check(same((await fields()).slice(1), linked), 'offline');
} finally {
    await browser.close();
    server.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
