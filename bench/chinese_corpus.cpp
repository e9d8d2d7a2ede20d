// Generated Chinese prose for benchmarks: the same text on every machine, from a fixed seed.
#include "bench/chinese_corpus.h"

#include "common/gbk_codec.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace bench {

namespace {

using namespace std::literals;

// Word lists, space separated. The simplified entries lean on words whose traditional form depends on
// the neighbouring characters (头发/发展, 干部/干净, 皇后/后来, 公里/里面), so OpenCC's phrase
// dictionary decides, not only its character table.
constexpr std::string_view kSubjects =
    "我 你 他 她 我们 你们 他们 大家 老师 学生 经理 同事 朋友 孩子 父母 医生 用户 开发者 记者 政府 公司 "
    "这家公司 银行 专家 邻居 老板 作者 读者 队员 司机 顾客 工程师 程序员 会计 秘书 警察 教授 村民 厂长 "
    "干部 皇后 理发师 小组 委员会 研究所 出版社 工厂 学校 医院 每个人 有些人 年轻人";
constexpr std::string_view kAdverbs =
    "已经 正在 终于 马上 一直 经常 常常 总是 也 都 还 又 再 才 就 刚刚 突然 仍然 确实 其实 果然 几乎 大约 "
    "尽量 尽快 一起 特别 非常 比较 十分 稍微 真的 好像 似乎 往往 只 不 没有 必须 应该 可能 能 会 要 想";
constexpr std::string_view kVerbs =
    "发现 发展 表示 准备 制造 复习 回复 联系 收获 获得 克服 计划 签 采集 征收 了解 合并 讨论 研究 处理 解决 "
    "提供 支持 包括 完成 开始 结束 继续 需要 希望 觉得 认为 知道 看到 听说 告诉 帮助 使用 选择 决定 参加 "
    "打开 保存 关闭 删除 复制 粘贴 查找 替换 打印 下载 上传 安装 更新 运行 测试 检查 修改 发布 开发 设计 "
    "修理 整理 布置 安排 介绍 说明 检验 管理 建设 改进 提高 降低 增加 减少 离开 参观 访问 喜欢 担心 相信 "
    "记得 学会 买 卖 写 读 吃 喝 带 送 借 还 洗 冲洗 涂改 划 挂 擦 搬 修 挑选 出发去 回到 理发 干 "
    "征求 采用 尽 占据 系上 卷起 蒙上 面对 升级 储存 出租 松开";
constexpr std::string_view kObjects =
    "头发 面条 树干 公里 钟表 表面 系统 关系 松树 范围 模范 历史 日历 台风 天台 云彩 家具 胡子 面积 游戏 "
    "山谷 症状 借口 标签 周末 计划 问题 事情 工作 项目 软件 程序 文件 电脑 手机 网络 数据 服务器 密码 版本 "
    "功能 界面 窗口 按钮 菜单 设置 输入法 记事本 截图 文字 汉字 简体字 繁体字 编码 报告 合同 账户 发票 工资 "
    "经济 社会 文化 教育 科学 技术 企业 价格 产品 质量 服务 环境 城市 农村 天气 早饭 午饭 晚饭 米饭 面包 "
    "咖啡 茶叶 水果 苹果 蔬菜 鸡蛋 牛奶 身体 运动 足球 篮球 电影 音乐 小说 报纸 杂志 图书馆 书店 商店 超市 "
    "饭店 宾馆 机场 火车站 地铁 汽车 飞机 自行车 马路 邮局 照片 礼物 衣服 裤子 鞋子 钥匙 钱包 地图 词典 "
    "黑板 桌子 椅子 窗户 厨房 卫生间 房间 楼梯 电梯 公园 广场 博物馆 体育馆 动物园 长城 故宫 西湖 黄山 "
    "长江 黄河 发型 发言 头发丝 干部会议 干货 肝脏 后果 里程 只言片语 钟声 表格 制度 复印件 系列 准则 "
    "松鼠 范文 历程 台阶 冲突 云南 丰收 采访 尽头 据点 饥荒 须知 胡同 游览 谷物 郁金香 卷子 征兆 蒙古包 "
    "恶果 合伙人 借条 家当 药方 老板娘 几何 周报 克隆 划算 获奖 签证 涂料 面粉 发票夹 里弄 后台";
constexpr std::string_view kAdjectives =
    "重要 主要 简单 复杂 容易 困难 方便 清楚 漂亮 干净 安静 热闹 高兴 满意 快乐 辛苦 认真 仔细 丰富 轻松 "
    "郁闷 糊涂 新 旧 大 小 长 短 快 慢 好 坏 便宜 贵 年轻 老 聪明 努力 优秀 著名 普通 特殊 严重 干燥 "
    "复杂多变 发达 松散 后进 里外一新";
constexpr std::string_view kTimesAndPlaces =
    "今天 明天 昨天 上午 下午 晚上 去年 明年 后来 以后 以前 当时 现在 最近 将来 周末 春天 夏天 秋天 冬天 "
    "每天 平时 北京 上海 广州 深圳 香港 台湾 杭州 南京 武汉 成都 西安 天津 重庆 苏州 公司里 家里 学校里 "
    "会议室里 山里 村里 城里 办公室里";
constexpr std::string_view kConnectors =
    "因为 所以 但是 如果 虽然 而且 然后 不过 其实 当然 尽管 并且 或者 于是 因此 另外 同时 首先 其次 最后 "
    "总之 据说 可是 只要 只有 即使 既然 由于";
constexpr std::string_view kIdioms =
    "一举两得 自相矛盾 画蛇添足 亡羊补牢 井底之蛙 守株待兔 半途而废 千方百计 一心一意 实事求是 与时俱进 "
    "名副其实 理所当然 津津有味 兴高采烈 乱七八糟 心满意足 小心翼翼 一发不可收拾 后发制人 干干净净 "
    "里应外合 只争朝夕 松柏长青";
constexpr std::string_view kAsciiWords =
    "Linux Windows Qt Python Excel Word PDF USB WiFi CPU GPS App email OK DIY VIP PPT Android HTTP JSON "
    "UTF-8 GBK Big5 KTV NBA CEO IT U盘 X光 T恤 QQ MP3 ID";
// Text in traditional forms turns up in real files (quoted from Taiwan or Hong Kong, pasted from the web).
constexpr std::string_view kTraditional =
    "臺灣 電腦 軟體 學習 資訊 網路 簡體 繁體 漢字 說明 問題 這個 開發 體驗 歷史 發現 頭髮 裏面 麵條 他們 "
    "書籍 圖書館 東西 時間 國家 經濟 檔案 記憶體 滑鼠 印表機 網際網路 鐘錶 乾淨 後來";

std::vector<std::string_view> splitWords(std::string_view list) {
    std::vector<std::string_view> words;
    std::size_t from = 0;
    while (from < list.size()) {
        auto end = list.find(' ', from);
        if (end == std::string_view::npos)
            end = list.size();
        if (end > from)
            words.push_back(list.substr(from, end - from));
        from = end + 1;
    }
    return words;
}

// SplitMix64: the same sequence on every compiler and library, unlike std:: distributions.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }

private:
    std::uint64_t m_state;
};

// Builds prose from the word lists: clauses of subject, adverb, verb and object joined by Chinese
// punctuation, with dates, figures, ASCII terms and the odd traditional phrase mixed in.
class TextGenerator {
public:
    explicit TextGenerator(std::uint64_t seed)
        : m_rng(seed), m_subjects(splitWords(kSubjects)), m_adverbs(splitWords(kAdverbs)), m_verbs(splitWords(kVerbs)),
          m_objects(splitWords(kObjects)), m_adjectives(splitWords(kAdjectives)),
          m_timesAndPlaces(splitWords(kTimesAndPlaces)), m_connectors(splitWords(kConnectors)),
          m_idioms(splitWords(kIdioms)), m_ascii(splitWords(kAsciiWords)), m_traditional(splitWords(kTraditional)) {}

    std::size_t vocabularySize() const {
        return m_subjects.size() + m_adverbs.size() + m_verbs.size() + m_objects.size() + m_adjectives.size() +
               m_timesAndPlaces.size() + m_connectors.size() + m_idioms.size() + m_ascii.size() + m_traditional.size();
    }

    // One paragraph, or now and then a chapter heading, ending in CR LF.
    std::string paragraph() {
        std::string p;
        if (m_rng.chance(3)) {
            p += "第";
            p += std::to_string(++m_chapter);
            p += "章　";
            p += pick(m_objects);
            p += "与";
            p += pick(m_objects);
            p += "\r\n\r\n";
            return p;
        }
        p += "　　";
        const std::size_t sentences = 2 + m_rng.below(6);
        for (std::size_t i = 0; i < sentences; ++i)
            sentence(p);
        p += "\r\n";
        return p;
    }

private:
    std::string_view pick(const std::vector<std::string_view>& words) { return words[m_rng.below(words.size())]; }

    std::string_view object() { return m_rng.chance(4) ? pick(m_traditional) : pick(m_objects); }

    void clause(std::string& s) {
        s += m_rng.chance(4) ? pick(m_traditional) : pick(m_subjects);
        if (m_rng.chance(60))
            s += pick(m_adverbs);
        s += pick(m_verbs);
        if (m_rng.chance(25))
            s += "了";
        if (m_rng.chance(30)) {
            s += pick(m_adjectives);
            s += "的";
        }
        s += object();
    }

    void number(std::string& s) {
        switch (m_rng.below(4)) {
        case 0: s += std::to_string(1 + m_rng.below(999)); break;
        case 1:
            s += std::to_string(m_rng.below(100));
            s += '.';
            s += std::to_string(m_rng.below(10));
            s += '%';
            break;
        case 2: s += std::to_string(1000 + m_rng.below(90000)); break;
        default: s += "三五十百千万两"sv.substr(3 * m_rng.below(7), 3); break;
        }
    }

    void sentence(std::string& s) {
        switch (m_rng.below(10)) {
        case 0:
            s += pick(m_timesAndPlaces);
            s += "，";
            clause(s);
            s += "。";
            break;
        case 1:
            s += pick(m_connectors);
            clause(s);
            s += "，";
            s += pick(m_connectors);
            clause(s);
            s += "。";
            break;
        case 2:
            s += pick(m_subjects);
            s += "说：“";
            clause(s);
            s += m_rng.chance(50) ? "！”" : "。”";
            break;
        case 3:
            clause(s);
            s += "吗？";
            break;
        case 4:
            s += "在";
            s += pick(m_timesAndPlaces);
            s += "，";
            s += pick(m_subjects);
            s += pick(m_verbs);
            s += "了";
            number(s);
            s += "个";
            s += object();
            s += "。";
            break;
        case 5:
            s += std::to_string(1990 + m_rng.below(36));
            s += "年";
            s += std::to_string(1 + m_rng.below(12));
            s += "月";
            s += std::to_string(1 + m_rng.below(28));
            s += "日，";
            s += object();
            s += "的价格上涨了";
            number(s);
            s += "，约为";
            s += std::to_string(m_rng.below(10000));
            s += "元。";
            break;
        case 6:
            s += pick(m_subjects);
            s += "用";
            s += pick(m_ascii);
            s += pick(m_verbs);
            s += object();
            s += "（版本 ";
            s += std::to_string(1 + m_rng.below(9));
            s += '.';
            s += std::to_string(m_rng.below(20));
            s += "），";
            s += pick(m_adverbs);
            s += pick(m_adjectives);
            s += "。";
            break;
        case 7:
            for (int i = 0; i < 3; ++i) {
                s += object();
                s += "、";
            }
            s += object();
            s += "和";
            s += object();
            s += "都很";
            s += pick(m_adjectives);
            s += "；";
            break;
        case 8:
            clause(s);
            s += "，真是";
            s += pick(m_idioms);
            s += "。";
            break;
        default:
            s += "《";
            s += pick(m_objects);
            s += pick(m_objects);
            s += "》一书中写道，";
            clause(s);
            s += "……";
            break;
        }
    }

    Rng m_rng;
    std::vector<std::string_view> m_subjects, m_adverbs, m_verbs, m_objects, m_adjectives, m_timesAndPlaces,
        m_connectors, m_idioms, m_ascii, m_traditional;
    int m_chapter = 0;
};

} // namespace

Corpus makeCorpus(std::size_t targetGbkBytes) {
    Corpus c;
    TextGenerator gen(20240601);
    c.vocabulary = gen.vocabularySize();
    while (c.gbk.size() < targetGbkBytes) {
        const std::string p = gen.paragraph();
        c.utf8 += p;
        c.gbk += aquine::codec::utf8ToGbk(p);
    }
    for (char ch : c.gbk)
        c.lines += ch == '\n';
    return c;
}

} // namespace bench
