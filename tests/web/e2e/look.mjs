// A quick look: node look.mjs APPDIR OUT.png WIDTH HEIGHT
import {launch, openPage, ready, serve} from './harness.mjs';
const [folder, out, width, height] = process.argv.slice(2);
const server = await serve(folder);
const {browser, close} = await launch();
const {page, errors} = await openPage(browser, {width: +width, height: +height, deviceScaleFactor: 2});
await page.goto(server.url);
await ready(page);
await page.screenshot({path: out});
console.log(errors);
await close();
await server.close();
