// The web page's numbers in Debian's chromium: the site's size, the time from navigation to
// the first conversion possible, and 100,000 thunder links --to http in the batch box beside
// the plain JavaScript peer (web_peer.js) and native orvanthe-link on the same input.
//   node bench/web_bench.mjs SITE ORVANTHE_LINK
import {spawnSync} from 'node:child_process';
import {readdirSync, readFileSync} from 'node:fs';
import path from 'node:path';
import {gzipSync} from 'node:zlib';
import puppeteer from 'puppeteer-core';
import {launchChromium, serveSite} from '../scripts/serve-site.mjs';

const [site, link] = process.argv.slice(2);
const median = (values) => values.sort((a, b) => a - b)[values.length >> 1];
const ms = (value) => `${value.toFixed(1)} ms`;

const gzipped = readdirSync(site).reduce(
    (sum, name) => sum + gzipSync(readFileSync(path.join(site, name)), {level: 9}).length, 0);
console.log(`site, all files gzipped: ${(gzipped / 1024).toFixed(1)} KiB`);

// 100,000 addresses of mixed ASCII and Chinese, and their thunder links by the native tool.
const addresses = Array.from({length: 100000}, (_, k) =>
    `http://下载.例子.中国/软件/第${k}版/setup-${k}.zip`).join('\n') + '\n';
const links = spawnSync(link, ['--to', 'thunder'], {input: addresses, maxBuffer: 1 << 30}).stdout.toString();
const native = [];
for (let run = 0; run < 5; ++run) {
    const started = process.hrtime.bigint();
    const result = spawnSync(link, ['--to', 'http'], {input: links, maxBuffer: 1 << 30});
    native.push(Number(process.hrtime.bigint() - started) / 1e6);
    if (result.stdout.toString() !== addresses) {
        throw new Error('orvanthe-link gave other addresses');
    }
}
console.log(`input: ${(links.length / 1048576).toFixed(1)} MiB of links`);
console.log(`native orvanthe-link --to http, whole process: ${ms(median(native))}`);

const server = await serveSite(site, 0);
const origin = `http://127.0.0.1:${server.address().port}`;
const browser = await launchChromium(puppeteer);
try {
    const page = await browser.newPage();
    const ready = [];
    for (let run = 0; run < 5; ++run) {
        await page.goto('about:blank');
        await page.goto(origin);
        await page.waitForFunction(() => performance.getEntriesByName('orvanthe-ready').length);
        ready.push(await page.evaluate(() => performance.getEntriesByName('orvanthe-ready')[0].startTime));
    }
    console.log(`navigation to the first conversion possible: ${ms(median(ready))}`);

    // Each run: the links put into the box and laid out by the browser (its own cost, timed
    // apart), then the box's input event, as a paste sends it, to the results shown.
    const laidOut = [];
    const shown = [];
    const converted = [];
    for (let run = 0; run < 5; ++run) {
        await page.$eval('#batch', (box) => (box.value = ''));
        laidOut.push(await page.$eval('#batch', (box, input) => new Promise((done) => {
            const started = performance.now();
            box.value = input;
            requestAnimationFrame(() => setTimeout(() => done(performance.now() - started)));
        }), links));
        const [time, inWorker, right] = await page.evaluate((expected) => new Promise((done) => {
            document.addEventListener('orvanthe-batch', ({detail}) => requestAnimationFrame(() =>
                done([performance.now() - started, detail.converted,
                    document.getElementById('results').value === expected])), {once: true});
            const started = performance.now();
            document.getElementById('batch').dispatchEvent(new Event('input'));
        }), addresses);
        if (!right) {
            throw new Error('the batch box gave other addresses');
        }
        shown.push(time);
        converted.push(inWorker);
    }
    console.log(`batch box, the browser laying out its text alone: ${ms(median(laidOut))}`);
    console.log(`batch box, input event to results shown: ${ms(median(shown))}`);
    console.log(`batch box, conversion alone in the Worker: ${ms(median(converted))}`);

    const peer = readFileSync(new URL('web_peer.js', import.meta.url), 'utf8');
    const peerTimes = [];
    for (let run = 0; run < 5; ++run) {
        const [time, right] = await page.evaluate(`(() => {
            ${peer}
            const input = ${JSON.stringify(links)};
            const started = performance.now();
            const output = thunderToHttp(input);
            return [performance.now() - started, output === ${JSON.stringify(addresses)}];
        })()`);
        if (!right) {
            throw new Error('the peer gave other addresses');
        }
        peerTimes.push(time);
    }
    console.log(`plain JavaScript peer (atob, TextDecoder), conversion alone: ${ms(median(peerTimes))}`);
} finally {
    await browser.close();
    server.close();
}
